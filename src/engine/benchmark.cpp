// The benchmark's table: median (the lower middle value of an even count), minimum and maximum
// milliseconds per pass for each stage.
#include "engine/benchmark.h"

#include <algorithm>

void Benchmark::beginPass()
{
    passStart = Clock::now();
    if (!started) {
        runStart = passStart;
        started = true;
    }
}

void Benchmark::endPass(const char* stage)
{
    add(stage, std::chrono::duration<double, std::milli>(Clock::now() - passStart).count());
}

void Benchmark::add(const char* stage, double ms)
{
    if (stages.empty() || stages.back().first != stage) {
        stages.emplace_back(stage, std::vector<double>());
    }
    stages.back().second.push_back(ms);
}

void Benchmark::report(FILE* out) const
{
    std::fputs("stage frames median_ms min_ms max_ms\n", out);
    size_t frames = 0;
    for (const auto& [name, times] : stages) {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        std::fprintf(out, "%s %zu %.3f %.3f %.3f\n", name.c_str(), sorted.size(),
                     sorted[(sorted.size() - 1) / 2], sorted.front(), sorted.back());
        frames += sorted.size();
    }
    const double seconds =
        started ? std::chrono::duration<double>(Clock::now() - runStart).count() : 0.0;
    std::fprintf(out, "whole run: %zu frames, %.1f frames/s\n", frames,
                 seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    std::fflush(out);
}
