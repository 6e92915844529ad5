// Start-up and shutdown. Every step logs what it does; only SDL, PhysicsFS and the video mode
// can fail fatally, audio and game data merely warn. An installed game finds its data and
// defaults beside its executable's folder when the working directory has none.
#include "engine/startup.h"

#include "engine/inputstate.h"
#include "engine/levelloop.h"
#include "engine/runoptions.h"
#include "engine/savefolder.h"
#include "fs/searchpath.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"
#include "tarvo/core/cfgfile.h"
#include "tarvo/core/commandline.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"
#include "tarvo/core/runseed.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/game.h"
#include "tarvo/engine/mainloop.h"
#include "tarvo/fs/vfs.h"
#include "tarvo/render3d/renderpath.h"
#include "tarvo/version.h"
#include "tarvo/video/surface.h"
#include "video/display.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tarvo
{

namespace
{

std::vector<SDL_Joystick*> openedPads;

bool hasOption(const char* option)
{
    return gCommandLine->findOption(option) != 0;
}

// The running executable's folder; "" when it cannot be told.
std::string executableDir()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self.parent_path();
    }
    return vfsIsInit() ? vfsBaseDir() : "";
}

// EXEDIR/../share/games/NAME/entry, the installed layout, when it exists; else "".
std::string installedPath(const GameInfo& info, const std::string& entry)
{
    const std::string exeDir = executableDir();
    if (exeDir.empty()) {
        return "";
    }
    const std::filesystem::path path =
        (std::filesystem::path(exeDir) / ".." / "share" / "games" / info.name / entry)
            .lexically_normal();
    std::error_code error;
    return std::filesystem::exists(path, error) ? path.string() : "";
}

// The working directory's entry when it exists, else the installed one when that does; the
// working directory's name stands for a missing one.
std::string localOrInstalled(const GameInfo& info, const std::string& local,
                             const std::string& installed)
{
    std::error_code error;
    if (std::filesystem::exists(local, error)) {
        return local;
    }
    const std::string path = installedPath(info, installed);
    return path.empty() ? local : path;
}

std::string gameDirectory(const GameInfo& info)
{
    if (const unsigned index = gCommandLine->findOption("-game")) {
        if (const char* value = gCommandLine->optionValue(index)) {
            return value;
        }
    }
    return localOrInstalled(info, info.defaultGameDir, "base");
}

void initLog(const GameInfo& info)
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
    gLog->print("Now Playing: \"%s\"", info.title.c_str());
}

void readDefaults(const GameInfo& info)
{
    gConfig = new Config(localOrInstalled(info, info.configFile, info.configFile));
    for (const Action& action : info.actions) {
        if (!gConfig->addList(action.name, action.inputs)) {
            throw Exception("tarvo::run: action \"" + action.name +
                            "\" is already a key of the defaults file");
        }
    }
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

// Opens every pad present; sdl12-compat lists them only now. Returns the count, SDL's `which`
// being the pad's index.
int openPads()
{
    const int count = std::min(SDL_NumJoysticks(), 255);
    for (int index = 0; index < count; ++index) {
        if (SDL_Joystick* pad = SDL_JoystickOpen(index)) {
            openedPads.push_back(pad);
            const char* name = SDL_JoystickName(index);
            gLog->print("* Gamepad %d: %s", index, name ? name : "(no name)");
        }
    }
    SDL_JoystickEventState(SDL_ENABLE);
    return count;
}

void closePads()
{
    for (SDL_Joystick* pad : openedPads) {
        SDL_JoystickClose(pad);
    }
    openedPads.clear();
}

// Returns the pads opened: none for a replay, which brings its own.
int initSDL(bool replaying)
{
    gLog->print("Initializing SDL Library...");
    prepareScaleMethod();
    // sdl12-compat then numbers the buttons and axes of every pad SDL2 knows as its game
    // controller's, so pad:a is the same button on any pad. The player's own setting wins.
    setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        throw Exception("Failed to init SDL library.");
    }
    // The demo's keys are read from the translated character of each key event.
    SDL_EnableUNICODE(1);
    const int pads = replaying ? 0 : openPads();
    initAudio();
    return pads;
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

void initVideo(const GameInfo& info)
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
    SDL_WM_SetCaption(info.title.c_str(), nullptr);
}

} // namespace

void startEngine(int argc, char** argv, const GameInfo& info, Game& game)
{
    // Past a file-size limit a write then fails like one to a full disk, and the writers say
    // so, instead of the signal ending the run with its files half written.
    std::signal(SIGXFSZ, SIG_IGN);
    gCommandLine = new CommandLine(argc, argv);
    initLog(info);
    readDefaults(info);
    // The pixel loops are chosen now, so a bad TARVO_RENDER_PATH is reported at start-up.
    setRenderPath(renderPathNamed(std::getenv("TARVO_RENDER_PATH")));
    RunOptions options = readRunOptions(*gCommandLine);
    options.filePrefix = info.filePrefix;
    options.input.actions = bindActions(info.actions, *gConfig);
    options.input.deadZone = gConfig->paddeadzone;
    if (options.replayPath && !options.replay.hasEndRecord) {
        gLog->print("Warning: replay %s has no end record", options.replayPath);
    }
    gRunSeed = options.replayPath ? options.replay.header.seed : seedFromClock();
    // A recording starts from no saves, as its replay will, and neither touches the player's.
    openSaveFolder(options.saveDir, info.name, options.recordPath || options.replayPath);
    options.input.padCount = initSDL(options.replayPath != nullptr);
    initFileSystem(argv[0]);
    addGameData(gameDirectory(info).c_str());
    gTimer = new GameTimer(*gCommandLine);
    if (options.benchmark) {
        disableVblankWait();
    }
    initVideo(info);
    loadLevelOption(*gCommandLine);
    gMainLoop = new MainLoop(game, std::move(options));
}

bool stopEngine(Game& game)
{
    bool unloaded = true;
    if (gMainLoop) {
        try {
            game.unload();
        } catch (const std::exception& error) {
            reportFailure(error);
            unloaded = false;
        }
    }
    const bool outputWritten = !gMainLoop || gMainLoop->finish();
    closeSaveFolder();
    // The music fades out and the channels halt in their destructors; the screen's
    // destructor leaves the video-mode surface to SDL.
    delete gMainLoop;
    gMainLoop = nullptr;
    closeLevel();
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
    closePads();
    SDL_Quit();
    return outputWritten && unloaded;
}

void reportFailure(const std::exception& error)
{
    if (const auto* exception = dynamic_cast<const Exception*>(&error)) {
        exception->report();
        return;
    }
    std::fprintf(stderr, "Error: Standard library exception caught in main.\nMessage: %s\n",
                 error.what());
    std::fflush(stderr);
}

} // namespace tarvo
