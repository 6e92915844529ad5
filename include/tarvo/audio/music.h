// Background music: one piece at a time, read by the mixer straight from the game archives,
// with fades and a volume. Disabled until start-up finds a device and music allowed.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

struct _Mix_Music;
struct SDL_RWops;

namespace tarvo
{

class TARVO_API MusicPlayer
{
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Loads a music file from the virtual file system, replacing (and fading out) the current
    // one; false with a log line on failure, false silently when disabled.
    bool load(const char* path);
    // Starts the loaded music (loops -1: forever), fading in when fadeInMs > 0, then applies
    // volume.
    void play(int loops, int fadeInMs);
    // Hands v to the mixer when enabled; volume itself is left unchanged.
    void applyVolume(int v);
    // Fades out over fadeOutMs, or halts at once when it is 0 or less.
    void stop(int fadeOutMs);
    // Fades out over 500 ms, frees the music and only then closes its stream.
    void unload();
    void enable() { enabled = true; }
    bool isEnabled() const { return enabled; }

    int32_t volume = 0; // applied whenever playback starts, 0..128

private:
    _Mix_Music* music = nullptr;
    SDL_RWops* stream = nullptr; // read by the mixer for as long as the music is loaded
    bool enabled = false;
};

extern TARVO_API MusicPlayer* gMusic;

// Points the MIDI synthesiser at the sound font in SDL_SOUNDFONTS, or else at an installed
// General MIDI font; call before the audio device is opened.
TARVO_API void prepareMidi();

} // namespace tarvo
