/// @file
/// The fixed-tick loop: runs the elapsed 1/60 s ticks, then draws a frame when the window is
/// visible, and follows the window's focus and iconify state. It can record what it handles,
/// or take its input from a replay instead of the keyboard, the window and the clock.
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <memory>

union SDL_Event;

namespace tarvo
{

class Game;
struct RunOptions;

/// The loop run drives; a game reads its tickCount and fps through gMainLoop.
class TARVO_API MainLoop
{
public:
    /// A loop over game with no replay, recording or outputs. Calls game.load(false).
    explicit MainLoop(Game& game);
    /// A loop that records, replays and writes what options say. Calls game.load(false).
    MainLoop(Game& game, RunOptions options);
    /// Finishes the run unless finish has.
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    /// One pass: the due ticks (see update), then a frame (see render). False once a quit
    /// has been requested, when the run is over; a quit requested from an event leaves the
    /// rest of its tick and the frame undone.
    bool pass();
    /// Finishes the GIF recordings, ends a replay recording with its end record at the current
    /// tick and reports a benchmark, once. False when `-gif`'s file was not written, which it
    /// reports on standard error.
    bool finish();
    /// Runs the due ticks. Live: every elapsed tick, up to a second of game time. Replaying:
    /// exactly one tick, or the end of the replay.
    void update();
    /// Draws, writes and flips the frame of the last tick, unless the window is iconified.
    void render();

    /// Ticks run since the loop was created, modulo 2^32: during a tick, that tick's number.
    uint32_t tickCount = 0;
    /// Frames drawn in the last measured second; a replay counts 60 after its first second.
    int fps = 0;

private:
    struct Session;

    void runTick();
    void pumpEvents();
    void injectReplayedEvents();
    void handleEvent(const SDL_Event& event);
    void handleEngineKey(int sym);
    void updateAppState(bool initial);
    uint8_t appState() const;

    Game& game;
    bool active = false;        // input focus and not iconified
    bool visible = false;       // not iconified
    bool wasVisible = false;    // visibility before the latest change
    bool tickAbandoned = false; // a quit came from an event: the tick and its frame are dropped
    uint32_t lastFpsTime = 0;
    uint32_t lastTicks = 0;       // the previous timer reading
    uint32_t maxTicksPerPass = 0; // one second of game time: a stall is not caught up
    int frameCount = 0;           // frames drawn since the last FPS update
    std::unique_ptr<Session> session;
};

/// The running loop, from just after the game's load(false) until shutdown; null otherwise.
extern TARVO_API MainLoop* gMainLoop;

} // namespace tarvo
