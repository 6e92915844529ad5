// Key and pad events as SDL delivers them, for tests that hand them to the input state or push
// them into SDL's queue.
#pragma once

#include <SDL.h>

namespace tarvo
{

struct InputEvent {
    Uint8 type;    // SDL_KEYDOWN, SDL_JOYAXISMOTION, ...
    int pad;       // pad events' which
    int control;   // the key's SDLKey, or the axis, button or hat number
    int value = 0; // an axis's position or a hat's bits

    operator SDL_Event() const
    {
        SDL_Event event{};
        event.type = type;
        const auto which = static_cast<Uint8>(pad), number = static_cast<Uint8>(control);
        if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
            event.key.keysym.sym = static_cast<SDLKey>(control);
        } else if (type == SDL_JOYAXISMOTION) {
            event.jaxis = {type, which, number, static_cast<Sint16>(value)};
        } else if (type == SDL_JOYHATMOTION) {
            event.jhat = {type, which, number, static_cast<Uint8>(value)};
        } else {
            event.jbutton = {type, which, number, type == SDL_JOYBUTTONDOWN ? Uint8(1) : Uint8(0)};
        }
        return event;
    }
};

} // namespace tarvo
