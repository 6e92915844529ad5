// The sound stage: starts the music, then plays gAxeSound every 120 ticks, stepping the pan
// left, both, right.
#include "demo/soundstage.h"

#include "demo/demo.h"
#include "tarvo/audio/music.h"
#include "tarvo/audio/sound.h"

#include <climits>
#include <cstdint>

namespace morwenfall
{

using namespace tarvo;

namespace
{

constexpr int kMusicVolume = 30;
constexpr int kMusicFadeInMs = 500;

constexpr int kTicksPerEffect = 120;
// The last multiple of 120 an int can count to; the counter restarts after it so that a
// very long run keeps its cadence instead of overflowing.
constexpr int kLastTick = INT_MAX - INT_MAX % kTicksPerEffect;

struct Pan {
    uint8_t left;
    uint8_t right;
};
constexpr Pan kPanCycle[] = {{255, 0}, {255, 255}, {0, 255}};
constexpr int kPanSteps = sizeof(kPanCycle) / sizeof(kPanCycle[0]);

SoundStageState state;

} // namespace

const SoundStageState& soundStageState()
{
    return state;
}

void enterSoundStage()
{
    gMusic->volume = kMusicVolume;
    gMusic->play(-1, kMusicFadeInMs);
}

void updateSoundStage()
{
    state.soundTicks = state.soundTicks == kLastTick ? 1 : state.soundTicks + 1;
    if (state.soundTicks % kTicksPerEffect != 0) {
        return;
    }
    // Without effects play gives 0 and the pan still goes to that channel and steps on.
    const int channel = gSound->play(-1, gAxeSound, 0);
    const Pan& pan = kPanCycle[state.panStep];
    gSound->setPanning(channel, pan.left, pan.right);
    state.panStep = (state.panStep + 1) % kPanSteps;
}

} // namespace morwenfall
