// Actions from the events handed to the input state, tick by tick: what each input name binds,
// the names dropped with a warning, and held, pressed and released around a tick's events.
#include "engine/inputstate.h"
#include "support/capturedlog.h"
#include "tarvo/core/cfgfile.h"
#include "tarvo/engine/input.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sstream>

using namespace tarvo;

namespace
{

SDL_Event key(SDLKey sym, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = sym;
    return event;
}

SDL_Event button(int pad, int number, bool down = true)
{
    SDL_Event event{};
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.which = static_cast<Uint8>(pad);
    event.jbutton.button = static_cast<Uint8>(number);
    return event;
}

SDL_Event axis(int pad, int number, int value)
{
    SDL_Event event{};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = static_cast<Uint8>(pad);
    event.jaxis.axis = static_cast<Uint8>(number);
    event.jaxis.value = static_cast<Sint16>(value);
    return event;
}

SDL_Event hat(int pad, int number, int bits)
{
    SDL_Event event{};
    event.type = SDL_JOYHATMOTION;
    event.jhat.which = static_cast<Uint8>(pad);
    event.jhat.hat = static_cast<Uint8>(number);
    event.jhat.value = static_cast<Uint8>(bits);
    return event;
}

// Two pads, the default dead zone, focused: one tick with event.
bool heldAfter(const std::vector<ActionBinding>& actions, const SDL_Event& event)
{
    InputState state({actions, 2, 8000});
    state.setFocus(true);
    state.beginTick();
    state.handle(event);
    return state.held(actions[0].name);
}

TEST(Input, EachNameBindsItsKeyOrTheControlOnEveryPad)
{
    const struct {
        const char* name;
        SDL_Event down; // makes it held
        SDL_Event near; // does not
    } cases[] = {
        {"left", key(SDLK_LEFT, true), key(SDLK_RIGHT, true)},
        {"space", key(SDLK_SPACE, true), key(SDLK_s, true)},
        {"left shift", key(SDLK_LSHIFT, true), key(SDLK_RSHIFT, true)},
        {"pad:a", button(1, 0), button(1, 1)},
        {"pad:rightshoulder", button(0, 10), button(0, 9)},
        {"pad:dpad-right", button(0, 14), button(0, 13)},
        {"pad:leftx-", axis(1, 0, -8001), axis(1, 0, -8000)},
        {"pad:leftx+", axis(0, 0, 8001), axis(0, 0, 8000)},
        {"pad:lefty+", axis(0, 1, 32767), axis(0, 0, 32767)},
        {"pad:righty-", axis(0, 3, -9000), axis(0, 2, -9000)},
        {"pad:lefttrigger", axis(0, 4, 8001), axis(0, 4, 8000)},
        {"pad:righttrigger", axis(1, 5, 32767), axis(1, 4, 32767)},
        {"pad:button20", button(0, 20), button(0, 2)},
        {"pad:axis7-", axis(0, 7, -32768), axis(0, 7, 32767)},
        {"pad:hat1-left", hat(1, 1, SDL_HAT_LEFTUP), hat(1, 0, SDL_HAT_LEFT)},
        {"pad:hat0-down", hat(0, 0, SDL_HAT_DOWN), hat(0, 0, SDL_HAT_UP)},
    };
    for (const auto& c : cases) {
        const std::optional<BoundInput> input = inputNamed(c.name);
        ASSERT_TRUE(input) << c.name;
        const std::vector<ActionBinding> actions{{"act", {*input}}};
        EXPECT_TRUE(heldAfter(actions, c.down)) << c.name;
        EXPECT_FALSE(heldAfter(actions, c.near)) << c.name;
    }
}

TEST(Input, UnknownNamesAreDroppedWithOneWarningEach)
{
    Config config("game.cfg");
    config.addList("jump", {"space", "Space", "pad:button256", "Space", "pad:lefttrigger+"});
    config.addList("fire", {"pad:hat0-middle", "pad:button01", "pad:axis-", "pad:", "x"});
    CapturedLog log;
    const auto actions = bindActions({{"jump", {}}, {"fire", {}}}, config);
    EXPECT_EQ(log.text(), "Warning: game.cfg: jump: unknown input \"Space\"\n"
                          "Warning: game.cfg: jump: unknown input \"pad:button256\"\n"
                          "Warning: game.cfg: jump: unknown input \"pad:lefttrigger+\"\n"
                          "Warning: game.cfg: fire: unknown input \"pad:hat0-middle\"\n"
                          "Warning: game.cfg: fire: unknown input \"pad:button01\"\n"
                          "Warning: game.cfg: fire: unknown input \"pad:axis-\"\n"
                          "Warning: game.cfg: fire: unknown input \"pad:\"\n");
    EXPECT_TRUE(heldAfter(actions, key(SDLK_SPACE, true)));
    EXPECT_TRUE(heldAfter({actions[1]}, key(SDLK_x, true)));
}

// "jump" is bound to space (s) and pad:a on either pad (a, b); f is the window's focus.
SDL_Event scripted(const std::string& step)
{
    const bool down = step[1] == '+';
    return step[0] == 's' ? key(SDLK_SPACE, down) : button(step[0] == 'a' ? 0 : 1, 0, down);
}

TEST(Input, ActionsChangeAtTickGranularity)
{
    const struct {
        const char* name;
        std::vector<std::string> ticks; // each tick's events: s+ s- a+ a- b+ b- f+ f-
        std::vector<std::string> seen;  // each tick's update: held, pressed, released
    } cases[] = {
        {"a press held over ticks", {"s+", "", "s-", ""}, {"hp.", "h..", "..r", "..."}},
        {"press and release in one tick", {"s+ s-", ""}, {".pr", "..."}},
        {"released and pressed again in one tick", {"s+", "s- s+"}, {"hp.", "h.."}},
        {"pressed again after a tick's tap", {"s+ s-", "s+"}, {".pr", "hp."}},
        {"a repeated down is no new press", {"s+", "s+"}, {"hp.", "h.."}},
        {"two inputs bound to one action", {"s+", "a+", "s-", "a-"}, {"hp.", "h..", "h..", "..r"}},
        {"the same button on two pads", {"a+", "b+", "a-", "b-"}, {"hp.", "h..", "h..", "..r"}},
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
                if (step[0] == 'f') {
                    state.setFocus(step[1] == '+');
                } else {
                    state.handle(scripted(step));
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
