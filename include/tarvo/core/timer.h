/// @file
/// Game time in ticks of 1/60 second, from the real clock, a clock scaled by a percentage
/// (-scaletime) or a clock that advances one tick per query (-fasttime).
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <memory>

namespace tarvo
{

class Clock;
class CommandLine;

/// Game ticks per second of (unscaled) game time: the rate of Game::update.
const int kTicksPerSecond = 60;

/// Milliseconds since some fixed point, wrapping at 32 bits (SDL_GetTicks by default).
using TickSource = uint32_t (*)();

/// The -scaletime percentage, limited to 10..1000; 100 without its word, 0 without the option.
TARVO_API int scaleTimePercent(const CommandLine& commandLine);

/// The game clock, in ticks, of the kind the command line asks for.
class TARVO_API GameTimer
{
public:
    /// Picks the clock: -fasttime counts one tick per ticks() call (and wins over -scaletime),
    /// -scaletime scales real time, and otherwise real time. source is the millisecond counter
    /// (null: SDL's, which needs SDL started).
    explicit GameTimer(const CommandLine& commandLine, TickSource source = nullptr);
    ~GameTimer();
    GameTimer(const GameTimer&) = delete;
    GameTimer& operator=(const GameTimer&) = delete;

    /// Ticks since the timer was made, modulo 2^32, so callers take unsigned differences. Real
    /// time survives the millisecond counter's wrap, and a counter stepping back adds nothing.
    uint32_t ticks();
    /// Sleeps for ms milliseconds of real time.
    void delay(uint32_t ms);

private:
    std::unique_ptr<Clock> clock;
};

/// The run's timer: set by start-up, null outside a run.
extern TARVO_API GameTimer* gTimer;

} // namespace tarvo
