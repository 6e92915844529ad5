// Actions bound to keys and pad controls by name. The state moves only with the events the
// loop hands over, never by asking SDL, so live, recorded and replayed runs read the same.
#include "tarvo/engine/input.h"

#include "engine/inputstate.h"
#include "tarvo/core/cfgfile.h"
#include "tarvo/core/log.h"

#include <SDL.h>
#include <algorithm>
#include <map>
#include <set>

namespace tarvo
{

const InputState* gInput = nullptr;

namespace
{

// A pad's controls by number: buttons 0-255, then both directions of axes 0-255, then the four
// directions of hats 0-255.
const int kAxisControls = 256;
const int kHatControls = kAxisControls + 2 * 256;
const int kPadControls = kHatControls + 4 * 256;

uint16_t axisControl(int axis, bool positive)
{
    return static_cast<uint16_t>(kAxisControls + 2 * axis + (positive ? 1 : 0));
}

// direction: the bit number of SDL_HAT_UP, SDL_HAT_RIGHT, SDL_HAT_DOWN or SDL_HAT_LEFT.
uint16_t hatControl(int hat, int direction)
{
    return static_cast<uint16_t>(kHatControls + 4 * hat + direction);
}

// With SDL12COMPAT_USE_GAME_CONTROLLERS, button i and axis i are SDL2's controller button and
// axis i.
const char* const kButtonNames[] = {"a",
                                    "b",
                                    "x",
                                    "y",
                                    "back",
                                    "guide",
                                    "start",
                                    "leftstick",
                                    "rightstick",
                                    "leftshoulder",
                                    "rightshoulder",
                                    "dpad-up",
                                    "dpad-down",
                                    "dpad-left",
                                    "dpad-right"};
const char* const kStickNames[] = {"leftx", "lefty", "rightx", "righty"}; // axes 0-3
const char* const kTriggerNames[] = {"lefttrigger", "righttrigger"};      // axes 4-5, 0 to 32767
const char* const kHatDirections[] = {"up", "right", "down", "left"};     // bits 0-3

// "0" to "255" as written by a person, with no sign or leading zero; else -1.
int smallNumber(const std::string& text)
{
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0') ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    const int number = std::stoi(text);
    return number <= 255 ? number : -1;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The control a pad name (after "pad:") stands for, or -1.
int padControlNamed(const std::string& name)
{
    for (int i = 0; i < static_cast<int>(std::size(kButtonNames)); ++i) {
        if (name == kButtonNames[i]) {
            return i;
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(kStickNames)); ++i) {
        if (name == std::string(kStickNames[i]) + "-" ||
            name == std::string(kStickNames[i]) + "+") {
            return axisControl(i, name.back() == '+');
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(kTriggerNames)); ++i) {
        if (name == kTriggerNames[i]) {
            return axisControl(4 + i, true);
        }
    }
    // The raw joystick's names, for a player who turns the controller mapping off.
    if (startsWith(name, "button")) {
        return smallNumber(name.substr(6));
    }
    const char last = name.empty() ? '\0' : name.back();
    if (startsWith(name, "axis") && (last == '-' || last == '+')) {
        const int axis = smallNumber(name.substr(4, name.size() - 5));
        return axis < 0 ? -1 : axisControl(axis, last == '+');
    }
    const size_t dash = name.find('-');
    if (startsWith(name, "hat") && dash != std::string::npos) {
        const int hat = smallNumber(name.substr(3, dash - 3));
        const auto* direction =
            std::find(std::begin(kHatDirections), std::end(kHatDirections), name.substr(dash + 1));
        if (hat >= 0 && direction != std::end(kHatDirections)) {
            return hatControl(hat, static_cast<int>(direction - std::begin(kHatDirections)));
        }
    }
    return -1;
}

// SDL_GetKeyName's texts back to their keys; the first key of a name wins.
const std::map<std::string, uint16_t>& keysByName()
{
    static const std::map<std::string, uint16_t> keys = [] {
        std::map<std::string, uint16_t> names;
        for (int sym = SDLK_FIRST; sym < SDLK_LAST; ++sym) {
            const char* name = SDL_GetKeyName(static_cast<SDLKey>(sym));
            if (std::string(name) != "unknown key") {
                names.emplace(name, static_cast<uint16_t>(sym));
            }
        }
        return names;
    }();
    return keys;
}

} // namespace

std::optional<BoundInput> inputNamed(const std::string& name)
{
    if (startsWith(name, "pad:")) {
        const int control = padControlNamed(name.substr(4));
        if (control < 0) {
            return std::nullopt;
        }
        return BoundInput{true, static_cast<uint16_t>(control)};
    }
    const auto& keys = keysByName();
    const auto key = keys.find(name);
    if (key == keys.end()) {
        return std::nullopt;
    }
    return BoundInput{false, key->second};
}

std::vector<ActionBinding> bindActions(const std::vector<Action>& actions, const Config& config)
{
    std::vector<ActionBinding> bindings;
    for (const Action& action : actions) {
        ActionBinding binding{action.name, {}};
        std::set<std::string> dropped;
        for (const std::string& name : config.list(action.name)) {
            if (const auto input = inputNamed(name)) {
                binding.inputs.push_back(*input);
            } else if (dropped.insert(name).second) {
                gLog->print("Warning: %s: %s: unknown input \"%s\"", config.filename.c_str(),
                            action.name.c_str(), name.c_str());
            }
        }
        bindings.push_back(std::move(binding));
    }
    return bindings;
}

int padOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_JOYAXISMOTION:
        return event.jaxis.which;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        return event.jbutton.which;
    case SDL_JOYHATMOTION:
        return event.jhat.which;
    default:
        return -1;
    }
}

InputState::InputState(InputSetup inputSetup)
    : setup(std::move(inputSetup)), keys(SDLK_LAST),
      pads(static_cast<size_t>(std::max(setup.padCount, 0)), std::vector<bool>(kPadControls)),
      heldBefore(setup.actions.size()), wentDown(setup.actions.size())
{
}

void InputState::beginTick()
{
    for (size_t i = 0; i < setup.actions.size(); ++i) {
        heldBefore[i] = isHeld(i);
        wentDown[i] = false;
    }
}

void InputState::handle(const SDL_Event& event)
{
    const int pad = padOf(event);
    if (!focused || pad >= setup.padCount) {
        return;
    }
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (event.key.keysym.sym < SDLK_LAST) {
            setDown(-1, static_cast<uint16_t>(event.key.keysym.sym), event.type == SDL_KEYDOWN);
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        setDown(pad, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
        break;
    case SDL_JOYAXISMOTION: {
        // Past the dead zone, not at it: a dead zone of 32767 leaves only the far negative end.
        const int value = event.jaxis.value;
        setDown(pad, axisControl(event.jaxis.axis, false), value < -setup.deadZone);
        setDown(pad, axisControl(event.jaxis.axis, true), value > setup.deadZone);
        break;
    }
    case SDL_JOYHATMOTION:
        for (int direction = 0; direction < 4; ++direction) {
            setDown(pad, hatControl(event.jhat.hat, direction),
                    (event.jhat.value >> direction) & 1);
        }
        break;
    default:
        break;
    }
}

void InputState::setFocus(bool hasFocus)
{
    focused = hasFocus;
    if (!focused) {
        release();
    }
}

void InputState::release()
{
    std::fill(keys.begin(), keys.end(), false);
    for (std::vector<bool>& controls : pads) {
        std::fill(controls.begin(), controls.end(), false);
    }
}

void InputState::setDown(int pad, uint16_t control, bool down)
{
    std::vector<bool>& states = pad < 0 ? keys : pads[static_cast<size_t>(pad)];
    if (states[control] == down) {
        return;
    }
    states[control] = down;
    if (!down) {
        return;
    }
    const bool isPad = pad >= 0;
    for (size_t i = 0; i < setup.actions.size(); ++i) {
        const auto& inputs = setup.actions[i].inputs;
        if (std::any_of(inputs.begin(), inputs.end(), [&](const BoundInput& input) {
                return input.pad == isPad && input.control == control;
            })) {
            wentDown[i] = true;
        }
    }
}

bool InputState::isDown(const BoundInput& input) const
{
    if (!input.pad) {
        return keys[input.control];
    }
    return std::any_of(pads.begin(), pads.end(),
                       [&](const std::vector<bool>& controls) { return controls[input.control]; });
}

bool InputState::isHeld(size_t action) const
{
    const auto& inputs = setup.actions[action].inputs;
    return std::any_of(inputs.begin(), inputs.end(),
                       [&](const BoundInput& input) { return isDown(input); });
}

bool InputState::isPressed(size_t action) const
{
    return !heldBefore[action] && wentDown[action];
}

int InputState::indexOf(const std::string& action) const
{
    for (size_t i = 0; i < setup.actions.size(); ++i) {
        if (setup.actions[i].name == action) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool InputState::held(const std::string& action) const
{
    const int i = indexOf(action);
    return i >= 0 && isHeld(static_cast<size_t>(i));
}

bool InputState::pressed(const std::string& action) const
{
    const int i = indexOf(action);
    return i >= 0 && isPressed(static_cast<size_t>(i));
}

bool InputState::released(const std::string& action) const
{
    const int i = indexOf(action);
    if (i < 0) {
        return false;
    }
    const auto index = static_cast<size_t>(i);
    return (heldBefore[index] || isPressed(index)) && !isHeld(index);
}

bool held(const std::string& action)
{
    return gInput && gInput->held(action);
}

bool pressed(const std::string& action)
{
    return gInput && gInput->pressed(action);
}

bool released(const std::string& action)
{
    return gInput && gInput->released(action);
}

bool hasFocus()
{
    return gInput && gInput->hasFocus();
}

int padCount()
{
    return gInput ? gInput->padCount() : 0;
}

} // namespace tarvo
