// The sound stage's timer and pan cycle, run tick by tick. The test binary stands in for the
// mixer's play and pan calls, so it sees exactly which channel is panned which way.
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

struct MixerCalls {
    std::vector<std::tuple<int, int, int>> plays; // channel, loops, time limit
    std::vector<std::tuple<int, int, int>> pans;  // channel, left, right
    std::vector<int> playResults;                 // what the fake play returns, in turn
};
MixerCalls mixer;

} // namespace

extern "C" int Mix_PlayChannelTimed(int channel, Mix_Chunk*, int loops, int ticks)
{
    mixer.plays.emplace_back(channel, loops, ticks);
    const size_t call = mixer.plays.size() - 1;
    return call < mixer.playResults.size() ? mixer.playResults[call] : 0;
}

extern "C" int Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
    mixer.pans.emplace_back(channel, left, right);
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
    // The mixer may pick any channel, or none (-1) when all are busy.
    mixer.playResults = {3, 0, 7, -1, 5};

    std::vector<int> playTicks;
    for (int tick = 1; tick <= 659; ++tick) {
        const size_t playsBefore = mixer.plays.size();
        updateSoundStage();
        ASSERT_EQ(soundStageState().soundTicks, tick);
        if (mixer.plays.size() != playsBefore) {
            playTicks.push_back(tick);
        }
    }
    EXPECT_EQ(playTicks, (std::vector<int>{120, 240, 360, 480, 600}));
    for (const auto& play : mixer.plays) {
        EXPECT_EQ(play, std::make_tuple(-1, 0, -1)); // first free channel, once, no limit
    }
    // Each pan goes to the channel the effect got, including a refused -1.
    const std::vector<std::tuple<int, int, int>> expectedPans = {
        {3, 255, 0}, {0, 255, 255}, {7, 0, 255}, {-1, 255, 0}, {5, 255, 255}};
    EXPECT_EQ(mixer.pans, expectedPans);
    EXPECT_EQ(log.text(), "");
    gSound = nullptr;
    gAxeSound = nullptr;
}

} // namespace
