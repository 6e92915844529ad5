// Game time in ticks of 1/60 second, from the real clock, a clock scaled by a percentage
// (-scaletime) or a clock that advances one tick per query (-fasttime).
#pragma once

#include "tarvo/api.h"

#include <cstdint>
#include <memory>

namespace tarvo
{

class CommandLine;

const int kTicksPerSecond = 60;

// Milliseconds since some fixed point, wrapping at 32 bits (SDL_GetTicks by default).
using TickSource = uint32_t (*)();

class TARVO_API Clock
{
public:
    virtual ~Clock() = default;
    // Ticks since the clock was made; modulo 2^32, so callers take unsigned differences.
    virtual uint32_t now() = 0;
};

class TARVO_API RealClock : public Clock
{
public:
    explicit RealClock(TickSource source);
    uint32_t now() override { return static_cast<uint32_t>(elapsedTicks()); }

protected:
    // Whole 60 Hz ticks since construction, counted in 64 bits so neither the 49.7-day wrap
    // of the millisecond counter nor the ms x 60 product can overflow.
    uint64_t elapsedTicks();

private:
    TickSource source;
    uint32_t lastMs = 0;
    uint64_t elapsedMs = 0;
};

class TARVO_API ScaledClock : public RealClock
{
public:
    ScaledClock(TickSource source, int percent);
    uint32_t now() override;

private:
    int64_t scale = 0; // 16.16 fraction of real time
};

class TARVO_API FastClock : public Clock
{
public:
    uint32_t now() override { return static_cast<uint32_t>(queries++); }

private:
    uint64_t queries = 0;
};

// The -scaletime percentage, limited to 10..1000; 100 without its word, 0 without the option.
TARVO_API int scaleTimePercent(const CommandLine& commandLine);

class TARVO_API GameTimer
{
public:
    explicit GameTimer(const CommandLine& commandLine, TickSource source = nullptr);
    GameTimer(const GameTimer&) = delete;
    GameTimer& operator=(const GameTimer&) = delete;

    uint32_t ticks() { return clock->now(); }
    void delay(uint32_t ms);

private:
    std::unique_ptr<Clock> clock;
};

extern TARVO_API GameTimer* gTimer;

} // namespace tarvo
