// Actions from the events handed to the input state, tick by tick: what each input name binds,
// and held, pressed and released around a tick's events. Unknown names are seen through a run.
#include "engine/inputstate.h"
#include "support/inputevents.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tarvo;

namespace
{

const Uint8 kDown = SDL_KEYDOWN, kPadDown = SDL_JOYBUTTONDOWN, kAxis = SDL_JOYAXISMOTION,
            kHat = SDL_JOYHATMOTION;

// Whether the one action bound to name is held after a tick with event, on two pads.
bool heldAfter(const char* name, const SDL_Event& event)
{
    InputState state({{{"act", {*inputNamed(name)}}}, 2, 8000});
    state.setFocus(true);
    state.beginTick();
    state.handle(event);
    return state.held("act");
}

TEST(Input, EachNameBindsItsKeyOrTheControlOnEveryPad)
{
    const struct {
        const char* name;
        InputEvent down, near; // near leaves it up
    } cases[] = {
        {"left shift", {kDown, 0, SDLK_LSHIFT}, {kDown, 0, SDLK_RSHIFT}},
        {"pad:a", {kPadDown, 1, 0}, {kPadDown, 1, 1}},
        {"pad:dpad-right", {kPadDown, 0, 14}, {kPadDown, 0, 13}},
        {"pad:leftx-", {kAxis, 1, 0, -8001}, {kAxis, 1, 0, -8000}},
        {"pad:righty-", {kAxis, 0, 3, -9000}, {kAxis, 0, 2, -9000}},
        {"pad:lefttrigger", {kAxis, 0, 4, 8001}, {kAxis, 0, 4, 8000}},
        {"pad:button20", {kPadDown, 0, 20}, {kPadDown, 0, 2}},
        {"pad:axis7-", {kAxis, 0, 7, -32768}, {kAxis, 0, 7, 32767}},
        {"pad:hat1-left", {kHat, 1, 1, SDL_HAT_LEFTUP}, {kHat, 1, 0, SDL_HAT_LEFT}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(inputNamed(c.name)) << c.name;
        EXPECT_TRUE(heldAfter(c.name, c.down)) << c.name;
        EXPECT_FALSE(heldAfter(c.name, c.near)) << c.name;
    }
}

TEST(Input, ActionsChangeAtTickGranularity)
{
    const struct {
        const char* name;
        std::vector<std::string> ticks; // events: space (s), pad:a on pad 0 or 1 (a, b), focus (f)
        std::vector<std::string> seen;  // in each tick: held, pressed, released
    } cases[] = {
        {"a press held over ticks", {"s+", "", "s-", ""}, {"hp.", "h..", "..r", "..."}},
        {"press and release in one tick", {"s+ s-", ""}, {".pr", "..."}},
        {"released and pressed again in one tick", {"s+", "s- s+"}, {"hp.", "h.."}},
        {"pressed again after a tick's tap", {"s+ s-", "s+"}, {".pr", "hp."}},
        {"a repeated down is no new press", {"s+", "s+"}, {"hp.", "h.."}},
        {"two inputs bound to one action", {"s+", "a+", "s-", "a-"}, {"hp.", "h..", "h..", "..r"}},
        {"one button on two pads", {"a+", "b+", "a-", "b-"}, {"hp.", "h..", "h..", "..r"}},
        {"focus loss releases",
         {"s+", "f-", "s- s+", "f+", "s+"},
         {"hp.", "..r", "...", "...", "hp."}},
        {"a tap then focus loss in one tick", {"s+ f-"}, {".pr"}},
    };
    for (const auto& c : cases) {
        InputState state({{{"jump", {*inputNamed("space"), *inputNamed("pad:a")}}}, 2, 8000});
        state.setFocus(true);
        for (size_t tick = 0; tick < c.ticks.size(); ++tick) {
            state.beginTick();
            std::istringstream steps(c.ticks[tick]);
            for (std::string step; steps >> step;) {
                const bool down = step[1] == '+';
                if (step[0] == 'f') {
                    state.setFocus(down);
                } else if (step[0] == 's') {
                    state.handle(InputEvent{down ? kDown : Uint8(SDL_KEYUP), 0, SDLK_SPACE});
                } else {
                    state.handle(
                        InputEvent{down ? kPadDown : Uint8(SDL_JOYBUTTONUP), step[0] - 'a', 0});
                }
            }
            const std::string seen = {state.held("jump") ? 'h' : '.',
                                      state.pressed("jump") ? 'p' : '.',
                                      state.released("jump") ? 'r' : '.'};
            EXPECT_EQ(seen, c.seen[tick]) << c.name << ", tick " << tick;
        }
        EXPECT_FALSE(state.held("walk") || state.pressed("walk") || state.released("walk"));
    }
}

} // namespace
