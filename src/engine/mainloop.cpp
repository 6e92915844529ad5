// The main loop: game logic in fixed ticks, drawing as often as the screen allows. A replay
// feeds the same event path as the keyboard, so a replayed run takes the same steps.
#include "tarvo/engine/mainloop.h"

#include "engine/benchmark.h"
#include "engine/capture.h"
#include "engine/frameoutput.h"
#include "engine/inputstate.h"
#include "engine/levelloop.h"
#include "engine/runoptions.h"
#include "engine/startup.h"
#include "tarvo/core/cfgfile.h"
#include "tarvo/core/commandline.h"
#include "tarvo/core/exception.h"
#include "tarvo/core/log.h"
#include "tarvo/core/runseed.h"
#include "tarvo/core/timer.h"
#include "tarvo/engine/game.h"
#include "tarvo/version.h"
#include "tarvo/video/surface.h"

#include <SDL.h>
#include <algorithm>

namespace tarvo
{

MainLoop* gMainLoop = nullptr;

// What a run does besides playing: its replay, its recording and its outputs.
struct MainLoop::Session {
    explicit Session(RunOptions runOptions)
        : options(std::move(runOptions)), replaying(options.replayPath != nullptr),
          input(inputSetup(options)), capture(recordingLimit(), options.filePrefix)
    {
    }

    RunOptions options;
    bool replaying = false;
    InputState input;
    size_t nextRecord = 0;
    uint8_t windowState = 0; // the state the loop follows: replayed, or SDL's latest
    ReplayWriter recorder;
    std::unique_ptr<Benchmark> benchmark;
    Capture capture;
    bool rangeStarted = false; // -gif's
    bool finished = false;
    bool reloadLogged = false; // F5 during a recording

    // A replay's pads are those it was recorded with, never the live ones.
    static InputSetup inputSetup(const RunOptions& options)
    {
        InputSetup setup = options.input;
        if (options.replayPath) {
            setup.padCount = options.replay.header.padCount;
        }
        return setup;
    }

    uint8_t liveAppState() const
    {
        return options.liveAppState ? options.liveAppState() : SDL_GetAppState();
    }

    static uint32_t recordingLimit()
    {
        const int seconds = gConfig ? gConfig->gifmaxseconds : Config(std::string()).gifmaxseconds;
        return static_cast<uint32_t>(seconds * kTicksPerSecond);
    }

    void record(ReplayRecordType type, uint32_t tick, const SDL_Event* event = nullptr);

    // Writing frames, shots and GIFs is left out of the benchmark's times.
    template <typename Write>
    void untimed(Write write)
    {
        if (benchmark) {
            benchmark->pause();
        }
        write();
        if (benchmark) {
            benchmark->resume();
        }
    }
};

namespace
{

// What a live run records about itself; the clock options are for information only.
ReplayHeader liveHeader(uint8_t appState)
{
    ReplayHeader header;
    if (gCommandLine) {
        header.flags = gCommandLine->findOption("-fasttime") ? kReplayFastTimeFlag : 0;
        header.scalePercent = static_cast<uint16_t>(scaleTimePercent(*gCommandLine));
    }
    header.seed = gRunSeed;
    header.appState = appState;
    return header;
}

SDL_Event replayedEvent(const ReplayRecord& record)
{
    SDL_Event event{};
    switch (record.type) {
    case ReplayRecordType::KeyDown:
    case ReplayRecordType::KeyUp:
        event.type = record.type == ReplayRecordType::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = record.type == ReplayRecordType::KeyDown ? SDL_PRESSED : SDL_RELEASED;
        // SDL never delivers a symbol past its table; a replay made by hand might.
        event.key.keysym.sym =
            record.sym < SDLK_LAST ? static_cast<SDLKey>(record.sym) : SDLK_UNKNOWN;
        event.key.keysym.mod = static_cast<SDLMod>(record.modifiers);
        event.key.keysym.unicode = record.unicode;
        break;
    case ReplayRecordType::AppState:
        event.type = SDL_ACTIVEEVENT;
        break;
    case ReplayRecordType::PadAxis:
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.which = record.pad;
        event.jaxis.axis = record.control;
        event.jaxis.value = record.value;
        break;
    case ReplayRecordType::PadButtonDown:
    case ReplayRecordType::PadButtonUp:
        event.type =
            record.type == ReplayRecordType::PadButtonDown ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        event.jbutton.which = record.pad;
        event.jbutton.button = record.control;
        event.jbutton.state =
            record.type == ReplayRecordType::PadButtonDown ? SDL_PRESSED : SDL_RELEASED;
        break;
    case ReplayRecordType::PadHat:
        event.type = SDL_JOYHATMOTION;
        event.jhat.which = record.pad;
        event.jhat.hat = record.control;
        event.jhat.value = static_cast<Uint8>(record.value);
        break;
    case ReplayRecordType::Quit:
    case ReplayRecordType::End:
        event.type = SDL_QUIT;
        break;
    }
    return event;
}

// The fields of a key or pad record from its event.
void fillFields(ReplayRecord& entry, const SDL_Event& event)
{
    switch (entry.type) {
    case ReplayRecordType::KeyDown:
    case ReplayRecordType::KeyUp:
        entry.sym = static_cast<uint16_t>(event.key.keysym.sym);
        entry.modifiers = static_cast<uint16_t>(event.key.keysym.mod);
        entry.unicode = event.key.keysym.unicode;
        break;
    case ReplayRecordType::PadAxis:
        entry.pad = event.jaxis.which;
        entry.control = event.jaxis.axis;
        entry.value = event.jaxis.value;
        break;
    case ReplayRecordType::PadButtonDown:
    case ReplayRecordType::PadButtonUp:
        entry.pad = event.jbutton.which;
        entry.control = event.jbutton.button;
        break;
    case ReplayRecordType::PadHat:
        entry.pad = event.jhat.which;
        entry.control = event.jhat.hat;
        entry.value = event.jhat.value;
        break;
    default:
        break;
    }
}

ReplayRecordType padRecordType(uint8_t eventType)
{
    switch (eventType) {
    case SDL_JOYAXISMOTION:
        return ReplayRecordType::PadAxis;
    case SDL_JOYBUTTONDOWN:
        return ReplayRecordType::PadButtonDown;
    case SDL_JOYBUTTONUP:
        return ReplayRecordType::PadButtonUp;
    default:
        return ReplayRecordType::PadHat;
    }
}

// F5, F9 and F12 belong to the loop: never recorded, never the game's, live in a replay.
bool isEngineKey(const SDL_Event& event)
{
    const SDLKey sym = event.key.keysym.sym;
    return (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) &&
           (sym == SDLK_F5 || sym == SDLK_F9 || sym == SDLK_F12);
}

} // namespace

void MainLoop::Session::record(ReplayRecordType type, uint32_t tick, const SDL_Event* event)
{
    if (!recorder.isOpen()) {
        return;
    }
    ReplayRecord entry;
    entry.tick = tick;
    entry.type = type;
    if (event) {
        fillFields(entry, *event);
    }
    entry.appState = windowState;
    if (!recorder.write(entry)) {
        gLog->print("Warning: couldn't write %s; recording stopped", options.recordPath);
    }
}

MainLoop::MainLoop(Game& game) : MainLoop(game, RunOptions()) {}

MainLoop::MainLoop(Game& game, RunOptions options)
    : game(game), session(std::make_unique<Session>(std::move(options)))
{
    Session& s = *session;
    s.windowState = s.replaying ? s.options.replay.header.appState : s.liveAppState();
    if (s.options.recordPath) {
        ReplayHeader header = s.replaying ? s.options.replay.header : liveHeader(s.windowState);
        header.version = kReplayFormatVersion;
        header.padCount = static_cast<uint8_t>(s.input.padCount());
        header.engineVersion[0] = kVersionMajor;
        header.engineVersion[1] = kVersionMinor;
        header.engineVersion[2] = kVersionPatch;
        if (!s.recorder.open(s.options.recordPath, header)) {
            gLog->print("Warning: couldn't open %s for recording", s.options.recordPath);
        }
    }
    if (s.options.benchmark) {
        s.benchmark = std::make_unique<Benchmark>();
    }
    const int percent = gCommandLine ? scaleTimePercent(*gCommandLine) : 0;
    maxTicksPerPass = static_cast<uint32_t>(kTicksPerSecond * (percent > 0 ? percent : 100) / 100);
    gInput = &s.input;
    game.load(false);
    lastFpsTime = SDL_GetTicks();
    updateAppState(true);
}

MainLoop::~MainLoop()
{
    finish();
    if (gInput == &session->input) {
        gInput = nullptr;
    }
}

bool MainLoop::finish()
{
    Session& s = *session;
    if (s.finished) {
        return true;
    }
    s.finished = true;
    s.capture.finishAll(tickCount);
    s.record(ReplayRecordType::End, tickCount);
    if (s.benchmark) {
        s.benchmark->report(stdout);
    }
    if (!s.options.gifPath || s.capture.rangeSaved()) {
        return true;
    }
    if (!s.rangeStarted) {
        gLog->print("Warning: recording %s has no pictures; nothing saved", s.options.gifPath);
    }
    Exception::userError(std::string("-gif: ") + s.options.gifPath + " was not written").report();
    return false;
}

bool MainLoop::pass()
{
    // Asked from load(false), the run ends before its first tick.
    if (quitRequested()) {
        return false;
    }
    update();
    if (!tickAbandoned) {
        render();
    }
    return !quitRequested();
}

void MainLoop::update()
{
    if (session->benchmark) {
        session->benchmark->beginPass();
    }
    if (session->replaying) {
        runTick();
        return;
    }
    const uint32_t now = gTimer->ticks();
    const uint32_t elapsed = now - lastTicks;
    lastTicks = now;
    // After a stall (a debugger, a stopped process, a paused machine) the missed ticks are
    // dropped: caught up, they would freeze the window and replay a burst of game time.
    const uint32_t due = std::min(elapsed, maxTicksPerPass);
    // A quit ends the ticks: the frame drawn is that of the tick that asked for it.
    for (uint32_t i = 0; i < due && !quitRequested(); ++i) {
        runTick();
    }
}

void MainLoop::runTick()
{
    pumpEvents();
    // A quit asked for by an event ends the run at this tick: no update, no frame.
    if (quitRequested()) {
        tickAbandoned = true;
        return;
    }
    game.update();
    ++tickCount;
    // A replay's counter depends on ticks alone, so its frames are the same on every run.
    if (session->replaying && tickCount > kTicksPerSecond) {
        fps = kTicksPerSecond;
    }
}

void MainLoop::render()
{
    Session& s = *session;
    Capture& capture = s.capture;
    const uint32_t frame = tickCount - 1;
    if (!(appState() & SDL_APPACTIVE)) {
        s.untimed([&] { capture.frameSkipped(frame); });
        if (s.benchmark) {
            s.benchmark->endPass(game.stageName(), false);
        }
        return;
    }
    game.draw();
    s.untimed([&] {
        std::string error;
        if (s.options.frames && !s.options.frames->write(frame, *gScreen, error)) {
            throw Exception::userError("-frames: " + error);
        }
        capture.frameDrawn(frame, *gScreen);
    });
    // The dot is for the window alone: gone again before anything can read the screen.
    capture.drawDot(*gScreen);
    gScreen->flip();
    capture.restoreDot(*gScreen);
    ++frameCount;
    if (s.benchmark) {
        s.benchmark->endPass(game.stageName(), true);
    }
    const uint32_t now = SDL_GetTicks();
    if (!session->replaying && static_cast<int32_t>(now - lastFpsTime) > 1000) {
        fps = frameCount;
        frameCount = 0;
        lastFpsTime = now;
    }
}

void MainLoop::pumpEvents()
{
    Session& s = *session;
    // -gif's range begins before the tick's events, as F9 pressed first in the tick would.
    if (s.options.gifPath && tickCount == s.options.gifFrom) {
        s.rangeStarted = true;
        s.untimed([&] { s.capture.startRange(tickCount, s.options.gifTo, s.options.gifPath); });
    }
    s.input.beginTick();
    if (s.replaying) {
        injectReplayedEvents();
    }
    SDL_Event event;
    while (!quitRequested() && SDL_PollEvent(&event)) {
        // A replay takes nothing from the keyboard or the window but the engine's keys, and
        // can still be closed.
        if (!s.replaying || event.type == SDL_QUIT || isEngineKey(event)) {
            handleEvent(event);
        }
    }
    if (!active && !session->replaying) {
        gTimer->delay(1);
    }
}

void MainLoop::injectReplayedEvents()
{
    Session& s = *session;
    const std::vector<ReplayRecord>& records = s.options.replay.records;
    const uint32_t tick = tickCount;
    while (!quitRequested() && s.nextRecord < records.size() &&
           records[s.nextRecord].tick == tick) {
        const ReplayRecord& record = records[s.nextRecord++];
        if (record.type == ReplayRecordType::End) {
            // The run ended before this tick; the end record is written at shutdown.
            requestQuit(0);
            return;
        }
        if (record.type == ReplayRecordType::AppState) {
            s.windowState = record.appState;
        }
        handleEvent(replayedEvent(record));
    }
}

void MainLoop::handleEvent(const SDL_Event& event)
{
    const uint32_t tick = tickCount;
    if (isEngineKey(event)) {
        if (event.type == SDL_KEYDOWN) {
            handleEngineKey(event.key.keysym.sym);
        }
        return;
    }
    switch (event.type) {
    case SDL_QUIT:
        session->record(ReplayRecordType::Quit, tick);
        requestQuit(0);
        return;
    case SDL_ACTIVEEVENT:
        updateAppState(false);
        session->record(ReplayRecordType::AppState, tick);
        break;
    case SDL_KEYDOWN:
        session->record(ReplayRecordType::KeyDown, tick, &event);
        break;
    case SDL_KEYUP:
        session->record(ReplayRecordType::KeyUp, tick, &event);
        break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_JOYHATMOTION:
        // Only the run's own pads are input, not one pushed by hand or plugged in since.
        if (padOf(event) >= session->input.padCount()) {
            return;
        }
        session->record(padRecordType(event.type), tick, &event);
        break;
    default:
        break;
    }
    session->input.handle(event);
    if (active) {
        game.handleEvent(event);
    }
}

uint8_t MainLoop::appState() const
{
    return session->replaying ? session->windowState : session->liveAppState();
}

void MainLoop::updateAppState(bool initial)
{
    const uint8_t state = appState();
    if (!session->replaying) {
        session->windowState = state;
    }
    active = (state & SDL_APPINPUTFOCUS) && (state & SDL_APPACTIVE);
    session->input.setFocus(active);
    const bool nowVisible = (state & SDL_APPACTIVE) != 0;
    wasVisible = initial ? nowVisible : visible;
    visible = nowVisible;
    // Restored from the iconified state: the game's converted images are loaded afresh.
    if (visible && !wasVisible) {
        game.load(true);
    }
}

void MainLoop::handleEngineKey(int sym)
{
    Session& s = *session;
    // A recording does not hold the level, so its replay may show another one.
    if (sym == SDLK_F5) {
        if (reloadLevel() && s.options.recordPath && !s.reloadLogged) {
            s.reloadLogged = true;
            gLog->print("Warning: level reloaded during a recording");
        }
        return;
    }
    s.untimed([&] {
        if (sym == SDLK_F12) {
            s.capture.screenshot(*gScreen);
        } else {
            s.capture.toggle(tickCount);
        }
    });
}

} // namespace tarvo
