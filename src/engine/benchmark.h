// Timing of a replay, pass by pass: milliseconds per main-loop pass (tick, draw and flip),
// counted for the stage the pass drew, reported as a table after the run.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tarvo
{

class Benchmark
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = Clock::time_point (*)();

    // now reads the clock; tests pass their own.
    explicit Benchmark(Now now = Clock::now) : now(now) {}

    void beginPass();
    // The time from pause to resume (writing frames, shots and GIFs) is left out of the pass
    // and of the run: the table times the engine, not the disk.
    void pause();
    void resume();
    // The pass has run with stage current. Stages are reported in the order they were first
    // current; a pass that drew no frame gives its stage a row but no time.
    void endPass(const char* stage, bool drewFrame);
    // The header line, one line per stage, and the whole run's frame rate.
    void report(FILE* out) const;

private:
    Now now;
    std::vector<std::pair<std::string, std::vector<double>>> stages;
    Clock::time_point runStart;
    Clock::time_point runEnd;
    Clock::time_point passStart;
    Clock::time_point pausedAt;
    Clock::duration passPaused{};
    Clock::duration runPaused{};
    bool started = false;
};

} // namespace tarvo
