// Start-up and shutdown. Every step logs what it does; only SDL, PhysicsFS and the video mode
// can fail fatally, audio and game data merely warn.
#include "engine/startup.h"

#include "engine/runoptions.h"
#include "fs/searchpath.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"
#include "tarvo/core/cfgfile.h"
#include "tarvo/core/commandline.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"
#include "tarvo/core/runseed.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/render3d/renderpath.h"
#include "tarvo/version.h"
#include "tarvo/video/surface.h"
#include "video/display.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace tarvo
{

namespace
{

const char* const kGameTitle = "Morwenfall";

bool hasOption(const char* option)
{
    return gCommandLine->findOption(option) != 0;
}

void initLog()
{
    gLog = new Log;
    if (const unsigned index = gCommandLine->findOption("-logfile")) {
        const char* path = gCommandLine->optionValue(index);
        if (!path) {
            path = "logfile.txt";
        }
        gLog->open(path);
        // Claiming a log file that never opened would send the reader looking in vain.
        if (gLog->isOpen()) {
            gLog->print("Tarvo Engine log file opened.");
        } else {
            gLog->print("Warning: couldn't open log file %s", path);
        }
    } else {
        gLog->print("Tarvo Engine v%d.%d.%d Startup", kVersionMajor, kVersionMinor, kVersionPatch);
    }
    gLog->print("Now Playing: \"%s\"", kGameTitle);
}

void readDefaults()
{
    gConfig = new Config("kelda.cfg");
    gLog->print("Reading defaults...");
    gConfig->parse();
}

void initAudio()
{
    gSound = new SoundBank;
    gMusic = new MusicPlayer;
    gLog->print("Initializing Audio...");
    if (hasOption("-noaudio")) {
        gLog->print("* Audio is disabled (-noaudio)");
        return;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        gLog->print("* Warning: Couldn't initialize SDL audio (%s)", SDL_GetError());
        return;
    }
    prepareMidi();
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == -1) {
        gLog->print("* Warning: Couldn't open SDL_mixer (%s)", SDL_GetError());
        return;
    }
    gLog->print("* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)");

    if (hasOption("-nosfx")) {
        gLog->print("* Sound effects are disabled (-nosfx)");
    } else if (gConfig->enablesfx) {
        const int channels = gSound->allocateChannels(gConfig->numsfxchannels);
        gLog->print("* Allocated %d digital sound channels", channels);
    } else {
        gLog->print("* Sound effects are disabled (config)");
    }

    if (hasOption("-nomusic")) {
        gLog->print("* Music is disabled (-nomusic)");
    } else if (gConfig->enablemusic) {
        gMusic->enable();
        gLog->print("* Music enabled");
    } else {
        gLog->print("* Music is disabled (config)");
    }
}

void initSDL()
{
    gLog->print("Initializing SDL Library...");
    prepareScaleMethod();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        throw Exception("Failed to init SDL library.");
    }
    // The demo's keys are read from the translated character of each key event.
    SDL_EnableUNICODE(1);
    initAudio();
}

uint32_t videoFlags(bool fullscreen)
{
    uint32_t flags = 0;
    if (gConfig->accelblits) {
        flags |= SDL_HWSURFACE;
    }
    if (gConfig->doublebuffer) {
        flags |= SDL_DOUBLEBUF;
    }
    if (fullscreen) {
        flags |= SDL_FULLSCREEN;
    }
    return flags;
}

void initVideo()
{
    gScreen = new Surface;
    gLog->print("Initializing video mode...");
    bool fullscreen = gConfig->fullscreen;
    if (hasOption("-fullscreen")) {
        fullscreen = true;
    } else if (hasOption("-window")) {
        fullscreen = false;
    }
    prepareWindow(kScreenWidth, kScreenHeight, fullscreen, gConfig->doublebuffer);
    if (!gScreen->setVideoMode(kScreenWidth, kScreenHeight, kScreenDepth, videoFlags(fullscreen))) {
        throw Exception("Failed to set 320x240x32 video mode.");
    }
    SDL_WM_SetCaption(kGameTitle, nullptr);
}

} // namespace

void initEngine(int argc, char** argv)
{
    std::atexit(shutdownEngine);
    // Past a file-size limit a write then fails like one to a full disk, and the writers say
    // so, instead of the signal ending the run with its files half written.
    std::signal(SIGXFSZ, SIG_IGN);
    gCommandLine = new CommandLine(argc, argv);
    initLog();
    readDefaults();
    // The pixel loops are chosen now, so a bad TARVO_RENDER_PATH is reported at start-up.
    renderPath();
    RunOptions options = readRunOptions(*gCommandLine);
    if (options.replayPath && !options.replay.hasEndRecord) {
        gLog->print("Warning: replay %s has no end record", options.replayPath);
    }
    gRunSeed = options.replayPath ? options.replay.header.seed : seedFromClock();
    initSDL();
    initFileSystem(argv[0]);
    addGameData();
    gTimer = new GameTimer(*gCommandLine);
    if (options.benchmark) {
        disableVblankWait();
    }
    initVideo();
    gMainLoop = new MainLoop(std::move(options));
}

void shutdownEngine()
{
    const bool outputWritten = !gMainLoop || gMainLoop->finish();
    // The music fades out and the channels halt in their destructors; the screen's
    // destructor leaves the video-mode surface to SDL.
    delete gMainLoop;
    gMainLoop = nullptr;
    delete gMusic;
    gMusic = nullptr;
    delete gSound;
    gSound = nullptr;
    delete gScreen;
    gScreen = nullptr;
    delete gTimer;
    gTimer = nullptr;
    delete gCommandLine;
    gCommandLine = nullptr;
    delete gConfig;
    gConfig = nullptr;
    if (gLog) {
        gLog->print("Exiting Tarvo Engine.");
        gLog->close();
        delete gLog;
        gLog = nullptr;
    }
    shutdownFileSystem();
    Mix_CloseAudio();
    SDL_Quit();
    // The process is already exiting, so only _Exit can still make its status a failure; the
    // exit handlers registered before this one are skipped.
    if (!outputWritten) {
        std::fflush(nullptr);
        std::_Exit(1);
    }
}

} // namespace tarvo
