// The sound stage's timer and pan cycle. The test binary stands in for the mixer's play and
// pan calls, so it sees exactly which channel is panned which way.
#include "audio/sound.h"
#include "demo/demo.h"
#include "demo/soundstage.h"
#include "support/capturedlog.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace
{
using Call = std::tuple<int, int, int>;
std::vector<Call> plays; // channel, loops, time limit
std::vector<Call> pans;  // channel, left, right
std::vector<int> playResults;
} // namespace

extern "C" int Mix_PlayChannelTimed(int channel, Mix_Chunk*, int loops, int ticks)
{
    plays.emplace_back(channel, loops, ticks);
    return plays.size() <= playResults.size() ? playResults[plays.size() - 1] : 0;
}
extern "C" int Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
    pans.emplace_back(channel, left, right);
    return 1;
}

namespace
{

TEST(SoundStage, EffectEvery120TicksPannedLeftBothRight)
{
    CapturedLog log;
    SoundBank bank;
    gSound = &bank;
    Mix_Chunk axe{};
    gAxeSound = &axe;
    playResults = {3, 0, 7, -1, 5}; // any channel, or -1 when all are busy

    std::vector<int> playTicks;
    for (int tick = 1; tick <= 659; ++tick) {
        const size_t before = plays.size();
        updateSoundStage();
        ASSERT_EQ(soundStageState().soundTicks, tick);
        if (plays.size() != before) {
            playTicks.push_back(tick);
        }
    }
    EXPECT_EQ(playTicks, (std::vector<int>{120, 240, 360, 480, 600}));
    EXPECT_EQ(plays, std::vector<Call>(5, Call{-1, 0, -1})); // first free channel, once
    // Each pan goes to the channel the effect got, a refused -1 included.
    EXPECT_EQ(pans, (std::vector<Call>{
                        {3, 255, 0}, {0, 255, 255}, {7, 0, 255}, {-1, 255, 0}, {5, 255, 255}}));
    EXPECT_EQ(log.text(), "");
    gSound = nullptr;
    gAxeSound = nullptr;
}

} // namespace
