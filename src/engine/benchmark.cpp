// The benchmark's table: median (the lower middle value of an even count), minimum and maximum
// milliseconds per pass for each stage.
#include "engine/benchmark.h"

#include <algorithm>

namespace tarvo
{

void Benchmark::beginPass()
{
    passStart = now();
    passPaused = Clock::duration::zero();
    if (!started) {
        runStart = passStart;
        started = true;
    }
}

void Benchmark::pause()
{
    pausedAt = now();
}

void Benchmark::resume()
{
    const Clock::duration paused = now() - pausedAt;
    passPaused += paused;
    runPaused += paused;
}

void Benchmark::endPass(const char* stage, bool drewFrame)
{
    runEnd = now();
    if (stages.empty() || stages.back().first != stage) {
        stages.emplace_back(stage, std::vector<double>());
    }
    if (drewFrame) {
        const Clock::duration pass = runEnd - passStart - passPaused;
        stages.back().second.push_back(std::chrono::duration<double, std::milli>(pass).count());
    }
}

void Benchmark::report(FILE* out) const
{
    std::fputs("stage frames median_ms min_ms max_ms\n", out);
    size_t frames = 0;
    for (const auto& [name, times] : stages) {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty()) {
            std::fprintf(out, "%s 0 0.000 0.000 0.000\n", name.c_str());
            continue;
        }
        std::fprintf(out, "%s %zu %.3f %.3f %.3f\n", name.c_str(), sorted.size(),
                     sorted[(sorted.size() - 1) / 2], sorted.front(), sorted.back());
        frames += sorted.size();
    }
    const double seconds =
        started ? std::chrono::duration<double>(runEnd - runStart - runPaused).count() : 0.0;
    std::fprintf(out, "whole run: %zu frames, %.1f frames/s\n", frames,
                 seconds > 0 ? static_cast<double>(frames) / seconds : 0.0);
    std::fflush(out);
}

} // namespace tarvo
