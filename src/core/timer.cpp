// The three game clocks and the command-line choice between them.
#include "tarvo/core/timer.h"

#include "tarvo/core/commandline.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>

namespace tarvo
{

GameTimer* gTimer = nullptr;

// Ticks since the clock was made; modulo 2^32, so callers take unsigned differences.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual uint32_t now() = 0;
};

namespace
{

uint32_t sdlTicks()
{
    return SDL_GetTicks();
}

class RealClock : public Clock
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

class ScaledClock : public RealClock
{
public:
    ScaledClock(TickSource source, int percent);
    uint32_t now() override;

private:
    int64_t scale = 0; // 16.16 fraction of real time
};

class FastClock : public Clock
{
public:
    uint32_t now() override { return static_cast<uint32_t>(queries++); }

private:
    uint64_t queries = 0;
};

RealClock::RealClock(TickSource source) : source(source), lastMs(source()) {}

uint64_t RealClock::elapsedTicks()
{
    // The unsigned difference absorbs the wrap of the millisecond counter; a step backwards
    // (top bit set) counts as no time rather than as 49 days.
    const uint32_t ms = source();
    const uint32_t step = ms - lastMs;
    if (static_cast<int32_t>(step) > 0) {
        elapsedMs += step;
    }
    lastMs = ms;
    return elapsedMs * kTicksPerSecond / 1000;
}

ScaledClock::ScaledClock(TickSource source, int percent)
    : RealClock(source), scale(static_cast<int64_t>(percent) * 65536 / 100)
{
}

uint32_t ScaledClock::now()
{
    // Real time is first reduced to whole ticks and then scaled, so at 150 percent the ticks
    // arrive in uneven steps.
    const uint64_t scaled = elapsedTicks() * static_cast<uint64_t>(scale);
    return static_cast<uint32_t>(scaled >> 16);
}

} // namespace

int scaleTimePercent(const CommandLine& commandLine)
{
    const unsigned index = commandLine.findOption("-scaletime");
    if (!index) {
        return 0;
    }
    const char* word = commandLine.optionValue(index);
    if (!word) {
        return 100;
    }
    // atoi's reading (leading digits, 0 for none), without its overflow on long numbers.
    const long value = std::strtol(word, nullptr, 10);
    return static_cast<int>(std::clamp(value, 10L, 1000L));
}

GameTimer::GameTimer(const CommandLine& commandLine, TickSource source)
{
    if (!source) {
        source = sdlTicks;
    }
    if (commandLine.findOption("-fasttime")) {
        clock = std::make_unique<FastClock>();
        return;
    }
    const int percent = scaleTimePercent(commandLine);
    if (percent == 0 || percent == 100) {
        clock = std::make_unique<RealClock>(source);
    } else {
        clock = std::make_unique<ScaledClock>(source, percent);
    }
}

GameTimer::~GameTimer() = default;

uint32_t GameTimer::ticks()
{
    return clock->now();
}

void GameTimer::delay(uint32_t ms)
{
    SDL_Delay(ms);
}

} // namespace tarvo
