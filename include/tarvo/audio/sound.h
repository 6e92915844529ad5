/// @file
/// Sound effects: mixer channels, effect samples decoded from the game archives, playing and
/// panning them. Disabled until channels are allocated, so the engine runs unchanged without audio.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <vector>

struct Mix_Chunk;
struct SDL_RWops;

namespace tarvo
{

/// The sound effects: SDL_mixer's channels and the samples played on them.
///
/// Samples are SDL_mixer's Mix_Chunk (WAV, Ogg Vorbis, ...), owned by the caller, who frees
/// them with Mix_FreeChunk once no channel plays them. While disabled, loads return null and
/// play(), given null, does nothing, so a game plays on silently.
class TARVO_API SoundBank
{
public:
    /// A disabled bank without channels.
    SoundBank();
    /// Halts every channel.
    ~SoundBank();
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    /// Asks the mixer for count channels and returns how many it now has; a positive count
    /// also enables the bank. Start-up does this with the configured number.
    int allocateChannels(int count);
    /// Decodes an effect from the virtual file system; null (and a log line when the file cannot
    /// be opened) on failure or when the bank is disabled.
    Mix_Chunk* loadSound(const char* path);
    /// Decodes an effect from a stream; freeSource 1 lets the mixer close it. Null when disabled,
    /// leaving the stream untouched.
    Mix_Chunk* loadSoundFromStream(SDL_RWops* stream, int freeSource);
    /// Plays sound loops + 1 times (-1: until halted) on channel (-1: first free one); returns the
    /// channel used, 0 for a null sound, and -1 when none was free or channel is not allocated.
    int play(int channel, Mix_Chunk* sound, int loops);
    /// 255 is full volume on that side; returns the mixer's result (non-zero on success), or 0
    /// with the SDL error set for a channel other than -1 (left to the mixer) not allocated.
    int setPanning(int channel, uint8_t left, uint8_t right);
    /// Stops channel, or every channel for -1.
    void haltChannel(int channel);
    /// Whether channels were allocated.
    bool isEnabled() const { return enabled; }

private:
    std::vector<uint32_t> channels; // one entry per granted mixer channel
    bool enabled = false;
};

/// The run's sound effects: set by start-up (disabled without audio), null outside a run.
extern TARVO_API SoundBank* gSound;

} // namespace tarvo
