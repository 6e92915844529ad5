// audio_capture EFFECT [MUSIC] MOUNT...: plays a fixed script into SDL's disk audio driver,
// printing "mark STEP BYTES" with the size of $SDL_DISKAUDIOFILE as each step begins.
#include "audio/music.h"
#include "audio/sound.h"
#include "core/log.h"
#include "fs/vfs.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

static long long capturedBytes()
{
    struct stat info = {};
    return stat(getenv("SDL_DISKAUDIOFILE"), &info) == 0 ? info.st_size : -1;
}

// Waits until the driver has written ms more of sound, so each step lasts as long in the capture
// however the threads were scheduled; then marks the next step.
static void waitForAudio(int ms, const char* nextStep)
{
    const long long target = capturedBytes() + 44100LL * 4 * ms / 1000;
    const Uint32 giveUp = SDL_GetTicks() + 10 * ms;
    while (capturedBytes() < target && SDL_GetTicks() < giveUp) {
        SDL_Delay(5);
    }
    if (nextStep) {
        printf("mark %s %lld\n", nextStep, capturedBytes());
        fflush(stdout);
    }
}

int main(int argc, char** argv)
{
    if (argc < 3 || !getenv("SDL_DISKAUDIOFILE")) {
        fprintf(stderr, "usage: SDL_DISKAUDIOFILE=out.raw %s EFFECT [MUSIC] MOUNT...\n", argv[0]);
        return 2;
    }
    Log log;
    gLog = &log;
    vfsInit(argv[0]);
    for (int i = argc == 3 ? 2 : 3; i < argc; ++i) {
        vfsMount(argv[i]);
    }
    prepareMidi();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == -1) {
        fprintf(stderr, "no audio device: %s\n", SDL_GetError());
        return 2;
    }
    bool played = false;
    {
        SoundBank bank;
        bank.allocateChannels(16);
        Mix_Chunk* const effect = bank.loadSound(argv[1]);
        const struct {
            const char* name;
            uint8_t left, right;
        } pans[] = {{"left", 255, 0}, {"right", 0, 255}, {"both", 255, 255}};
        waitForAudio(200, pans[0].name);
        for (int i = 0; i < 3; ++i) {
            const int channel = bank.play(-1, effect, -1);
            bank.setPanning(channel, pans[i].left, pans[i].right);
            waitForAudio(300, nullptr);
            bank.haltChannel(channel);
            waitForAudio(100, i < 2 ? pans[i + 1].name : "effects-end");
        }
        Mix_FreeChunk(effect);
        // The piece from its start without a fade, then (reloaded) with a 500 ms fade-in.
        MusicPlayer music;
        music.enable();
        music.volume = MIX_MAX_VOLUME;
        played = effect && (argc == 3 || music.load(argv[2]));
        if (played && argc > 3) {
            waitForAudio(300, "music");
            music.play(-1, 0);
            waitForAudio(1000, "reload");
            music.load(argv[2]);
            waitForAudio(200, "fadein");
            music.play(-1, 500);
            waitForAudio(1000, "end");
            music.stop(0);
        }
    }
    Mix_CloseAudio();
    gLog = nullptr;
    return played ? 0 : 1;
}
