// The input state behind held, pressed and released: the actions bound to keys and pad
// controls, and what the main loop's events have put down, tick by tick.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

union SDL_Event;

namespace tarvo
{

class Config;
struct Action;

// A key, or one control on every open pad: a button, one direction of an axis past the dead
// zone, or one direction of a hat.
struct BoundInput {
    bool pad = false;
    uint16_t control = 0; // a key's SDLKey, or a pad control number (input.cpp)
};

struct ActionBinding {
    std::string name;
    std::vector<BoundInput> inputs;
};

// The input a name stands for (see the README), or nullopt.
std::optional<BoundInput> inputNamed(const std::string& name);

// Each action with the inputs config lists for it; logs "Warning: FILE: ACTION: unknown input
// "NAME"" once for each name it drops.
std::vector<ActionBinding> bindActions(const std::vector<Action>& actions, const Config& config);

// The pad of a pad event, or -1 for any other event.
int padOf(const SDL_Event& event);

// What a run's input starts from: start-up fills it in, a test sets its own. The pad count is
// this private header's test hook: no pad exists on a test machine.
struct InputSetup {
    std::vector<ActionBinding> actions;
    int padCount = 0;    // pads 0 to padCount - 1; another pad's events are nobody's input
    int deadZone = 8000; // an axis is down in a direction past this distance from 0
};

class InputState
{
public:
    explicit InputState(InputSetup setup);

    // Starts a tick's events: what each action was after the last tick decides pressed and
    // released.
    void beginTick();
    // A key or open pad's event of this tick; others, and every event while unfocused, change
    // nothing.
    void handle(const SDL_Event& event);
    // Losing the focus puts every input up.
    void setFocus(bool focused);

    bool held(const std::string& action) const;
    bool pressed(const std::string& action) const;
    bool released(const std::string& action) const;
    bool hasFocus() const { return focused; }
    int padCount() const { return setup.padCount; }

private:
    int indexOf(const std::string& action) const;
    bool isHeld(size_t action) const;
    bool isPressed(size_t action) const;
    bool isDown(const BoundInput& input) const;
    void setDown(int pad, uint16_t control, bool down);
    void release();

    InputSetup setup;
    bool focused = false;
    std::vector<bool> keys;              // by SDLKey
    std::vector<std::vector<bool>> pads; // by pad, then control number
    std::vector<bool> heldBefore;        // by action: held after the last tick
    std::vector<bool> wentDown;          // by action: an input went down in this tick's events
};

// The running loop's input state, read by held, pressed, released, hasFocus and padCount; null
// outside a run.
extern const InputState* gInput;

} // namespace tarvo
