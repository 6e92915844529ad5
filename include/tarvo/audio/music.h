/// @file
/// Background music: one piece at a time, read by the mixer straight from the game archives,
/// with fades and a volume. Disabled until start-up finds a device and music allowed.
#pragma once

#include "tarvo/api.h"

#include <cstdint>

struct _Mix_Music;
struct SDL_RWops;

namespace tarvo
{

/// The music player: one piece (MIDI, Ogg Vorbis, MOD, ...) loaded at a time.
///
/// While disabled (no audio device, -nomusic, enablemusic off) every operation does nothing and
/// load returns false, so a game plays on silently.
class TARVO_API MusicPlayer
{
public:
    /// A disabled player with nothing loaded.
    MusicPlayer();
    /// Unloads the music, fading it out.
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    /// Loads a music file from the virtual file system, replacing (and fading out) the current
    /// one; false with a log line on failure, false silently when disabled.
    bool load(const char* path);
    /// Starts the loaded music (loops -1: forever), fading in when fadeInMs > 0, then applies
    /// volume.
    void play(int loops, int fadeInMs);
    /// Hands v (0..128) to the mixer when enabled; volume itself is left unchanged.
    void applyVolume(int v);
    /// Fades out over fadeOutMs, or halts at once when it is 0 or less.
    void stop(int fadeOutMs);
    /// Fades out over 500 ms, frees the music and only then closes its stream.
    void unload();
    /// Lets the player load and play; start-up calls it once the mixer is open.
    void enable() { enabled = true; }
    /// Whether the player can play.
    bool isEnabled() const { return enabled; }

    int32_t volume = 0; ///< Applied whenever playback starts, 0..128.

private:
    _Mix_Music* music = nullptr;
    SDL_RWops* stream = nullptr; // read by the mixer for as long as the music is loaded
    bool enabled = false;
};

/// The run's music player: set by start-up (disabled without audio), null outside a run.
extern TARVO_API MusicPlayer* gMusic;

/// Points the MIDI synthesiser at the sound font in SDL_SOUNDFONTS, or else at an installed
/// General MIDI font; call before the audio device is opened. Start-up does this for a game.
TARVO_API void prepareMidi();

} // namespace tarvo
