// Plays a fixed script of effects or music into SDL's disk audio driver and prints where in
// the captured file each step began, so a test can measure the sound around it.
//
//   audio_capture effects|music NAME MOUNT...
//
// NAME is the virtual name of the effect or the music, each MOUNT a directory or archive for
// the virtual file system. Each step prints "mark STEP BYTES" with the size of
// $SDL_DISKAUDIOFILE when it began.
#include "audio/music.h"
#include "audio/sound.h"
#include "core/log.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdio>
#include <cstdlib>
#include <physfs.h>
#include <string>
#include <sys/stat.h>

namespace
{

const char* gCaptureFile = nullptr;

long long capturedBytes()
{
    struct stat info = {};
    return stat(gCaptureFile, &info) == 0 ? info.st_size : -1;
}

void mark(const char* name)
{
    printf("mark %s %lld\n", name, capturedBytes());
    fflush(stdout);
}

// Waits until the driver has written ms more of sound, so every step lasts as long in the
// capture however the threads were scheduled (and gives up should the driver stall).
void waitForAudio(int ms)
{
    const long long target = capturedBytes() + 44100LL * 4 * ms / 1000;
    const Uint32 giveUp = SDL_GetTicks() + 10 * ms;
    while (capturedBytes() < target && SDL_GetTicks() < giveUp) {
        SDL_Delay(5);
    }
}

struct Pan {
    const char* name;
    uint8_t left;
    uint8_t right;
};

// The effect loops on one channel per pan position, each followed by a pause.
bool playPanned(const char* name)
{
    SoundBank bank;
    bank.allocateChannels(16);
    Mix_Chunk* const effect = bank.loadSound(name);
    if (!effect) {
        return false;
    }
    waitForAudio(200);
    for (const Pan& pan : {Pan{"left", 255, 0}, Pan{"right", 0, 255}, Pan{"both", 255, 255}}) {
        mark(pan.name);
        const int channel = bank.play(-1, effect, -1);
        bank.setPanning(channel, pan.left, pan.right);
        waitForAudio(300);
        bank.haltChannel(channel);
        waitForAudio(100);
    }
    mark("end");
    Mix_FreeChunk(effect);
    return true;
}

// Music from the start without a fade, a replacing load while it plays, then a fade-in from the
// start of the freshly loaded piece: the two starts can be compared window by window.
bool playMusic(const char* name)
{
    MusicPlayer music;
    music.enable();
    music.volume = MIX_MAX_VOLUME;
    if (!music.load(name)) {
        return false;
    }
    waitForAudio(300);
    mark("music");
    music.play(-1, 0);
    waitForAudio(1000);
    mark("reload");
    music.load(name);
    mark("reloaded");
    waitForAudio(200);
    mark("fadein");
    music.play(-1, 500);
    waitForAudio(1000);
    mark("end");
    music.stop(0);
    return true;
}

} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
int main(int argc, char** argv)
{
    gCaptureFile = getenv("SDL_DISKAUDIOFILE");
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 4 || !gCaptureFile || (mode != "effects" && mode != "music")) {
        fprintf(stderr, "usage: SDL_DISKAUDIOFILE=out.raw %s effects|music NAME MOUNT...\n",
                argv[0]);
        return 2;
    }
    Log log;
    gLog = &log;
    if (PHYSFS_init(argv[0]) == 0) {
        fprintf(stderr, "PhysicsFS: %s\n", PHYSFS_getLastError());
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        if (PHYSFS_addToSearchPath(argv[i], 1) == 0) {
            fprintf(stderr, "cannot mount %s: %s\n", argv[i], PHYSFS_getLastError());
            return 2;
        }
    }
    prepareMidi();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == -1) {
        fprintf(stderr, "no audio device: %s\n", SDL_GetError());
        return 2;
    }
    const bool played = mode == "effects" ? playPanned(argv[2]) : playMusic(argv[2]);
    Mix_CloseAudio();
    PHYSFS_deinit();
    SDL_Quit();
    gLog = nullptr;
    return played ? 0 : 1;
}
#pragma GCC diagnostic pop
