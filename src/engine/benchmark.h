// Timing of a replay, pass by pass: milliseconds per main-loop pass (tick, draw and flip),
// counted for the stage the pass drew, reported as a table after the run.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class Benchmark
{
public:
    using Clock = std::chrono::steady_clock;

    void beginPass();
    // The pass drew a frame of stage; stages are reported in the order they first drew.
    void endPass(const char* stage);
    void add(const char* stage, double ms);
    // The header line, one line per stage, and the whole run's frame rate.
    void report(FILE* out) const;

private:
    std::vector<std::pair<std::string, std::vector<double>>> stages;
    Clock::time_point runStart;
    Clock::time_point passStart;
    bool started = false;
};
