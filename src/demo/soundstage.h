// The sound stage: the axe effect every two seconds of game time, panned left, centre and
// right in turn, over the music started on entry.
#pragma once

namespace morwenfall
{

// Program-wide sound stage counters, set when the program starts and never reset.
struct SoundStageState {
    int soundTicks = 0; // ticks run in the stage
    int panStep = 0;    // row of the pan cycle for the next effect, 0..2
};

const SoundStageState& soundStageState();

// Starts the music looping at volume 30, fading in over half a second.
void enterSoundStage();
// One tick; every 120th plays the effect on the first free channel at the next pan.
void updateSoundStage();

} // namespace morwenfall
