// Background music, streamed by the mixer out of the game archives.
#include "tarvo/audio/music.h"

#include "tarvo/core/log.h"
#include "tarvo/fs/archive.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdlib>
#include <unistd.h>

namespace tarvo
{

MusicPlayer* gMusic = nullptr;

// General MIDI fonts as Debian's sound-font packages install them (timgm6mb-soundfont,
// fluid-soundfont-gm, ...), best first.
static const char* const kGeneralMidiFonts[] = {
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

void prepareMidi()
{
    // SDL_mixer plays MIDI through FluidSynth only when a sound font it was given exists as the
    // device opens; otherwise its built-in synthesiser wants GUS patches that are rarely
    // installed and the music fails to load. Debian's build falls back to default-GM.sf3 but
    // reads SDL_SOUNDFONTS only together with SDL_FORCE_SOUNDFONTS, so a user's choice is passed
    // on explicitly; builds without that fallback get the first General MIDI font found.
    const char* const chosen = getenv("SDL_SOUNDFONTS");
    if (chosen && chosen[0] != '\0') {
        Mix_SetSoundFonts(chosen);
        return;
    }
    for (const char* const font : kGeneralMidiFonts) {
        if (access(font, R_OK) == 0) {
            Mix_SetSoundFonts(font);
            return;
        }
    }
}

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer()
{
    unload();
}

bool MusicPlayer::load(const char* path)
{
    if (!enabled) {
        return false;
    }
    unload();
    stream = openArchiveStream(path);
    if (stream) {
        music = Mix_LoadMUS_RW(stream);
        if (music) {
            return true;
        }
    }
    gLog->print("Failed to load music \"%s\":\n\t%s", path, SDL_GetError());
    if (stream) {
        SDL_RWclose(stream);
        stream = nullptr;
    }
    return false;
}

void MusicPlayer::play(int loops, int fadeInMs)
{
    if (!music) {
        return;
    }
    const int result =
        fadeInMs <= 0 ? Mix_PlayMusic(music, loops) : Mix_FadeInMusic(music, loops, fadeInMs);
    if (result == -1) {
        gLog->print("Warning: Mix_PlayMusic failed (%s)", SDL_GetError());
        return;
    }
    applyVolume(volume);
}

void MusicPlayer::applyVolume(int v)
{
    if (enabled) {
        Mix_VolumeMusic(v);
    }
}

void MusicPlayer::stop(int fadeOutMs)
{
    if (!music) {
        return;
    }
    if (fadeOutMs > 0) {
        Mix_FadeOutMusic(fadeOutMs);
    } else {
        Mix_HaltMusic();
    }
}

void MusicPlayer::unload()
{
    if (!music) {
        return;
    }
    // Mix_FreeMusic waits for a running fade-out to end, so a playing piece is heard fading;
    // the mixer thread reads the stream until then, so it is closed only afterwards.
    stop(500);
    Mix_FreeMusic(music);
    music = nullptr;
    if (stream) {
        SDL_RWclose(stream);
        stream = nullptr;
    }
}

} // namespace tarvo
