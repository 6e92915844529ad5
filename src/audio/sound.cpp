// Sound effects on the mixer's channels.
#include "tarvo/audio/sound.h"

#include "tarvo/core/log.h"
#include "tarvo/fs/archive.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace tarvo
{

SoundBank* gSound = nullptr;

// SDL_mixer 1.2 indexes its channel array with the number it is given when playing or halting,
// unchecked; a channel it does not have would be written outside the array.
static bool isMixerChannel(int channel)
{
    return channel >= 0 && channel < Mix_AllocateChannels(-1);
}

SoundBank::SoundBank() = default;

SoundBank::~SoundBank()
{
    haltChannel(-1);
}

int SoundBank::allocateChannels(int count)
{
    const int granted = Mix_AllocateChannels(count);
    if (count <= 0) {
        return granted;
    }
    channels.resize(granted > 0 ? granted : 0);
    enabled = true;
    return granted;
}

Mix_Chunk* SoundBank::loadSound(const char* path)
{
    if (!enabled) {
        return nullptr;
    }
    SDL_RWops* const stream = openArchiveStream(path);
    if (!stream) {
        gLog->print("Failed to load sound effect \"%s\":\n\t%s", path, SDL_GetError());
        return nullptr;
    }
    // The mixer decodes the whole effect and closes the stream, and with it the archive file.
    return loadSoundFromStream(stream, 1);
}

Mix_Chunk* SoundBank::loadSoundFromStream(SDL_RWops* stream, int freeSource)
{
    if (!enabled) {
        return nullptr;
    }
    return Mix_LoadWAV_RW(stream, freeSource);
}

int SoundBank::play(int channel, Mix_Chunk* sound, int loops)
{
    if (!sound) {
        return 0;
    }
    if (channel != -1 && !isMixerChannel(channel)) {
        SDL_SetError("No such channel: %d", channel);
        return -1;
    }
    return Mix_PlayChannelTimed(channel, sound, loops, -1);
}

int SoundBank::setPanning(int channel, uint8_t left, uint8_t right)
{
    // The mixer grows its effect table to any channel number it is given, however large.
    if (channel != -1 && !isMixerChannel(channel)) {
        SDL_SetError("No such channel: %d", channel);
        return 0;
    }
    return Mix_SetPanning(channel, left, right);
}

void SoundBank::haltChannel(int channel)
{
    if (channel == -1 || isMixerChannel(channel)) {
        Mix_HaltChannel(channel);
    }
}

} // namespace tarvo
