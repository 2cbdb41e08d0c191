// The event pump: the one consumer of the media library's event queue. Keyboard and controller
// events become the held controls, quit and close requests end the run, some window events
// redraw, and a resize adapts the viewport and the projection.
#pragma once

#include <SDL.h>

#include <array>

#include "game_state.h"

struct KeyBinding {
    SDL_Keycode key;
    InputBits control;
};

// Keys are matched by key code, the symbol that the keyboard layout gives the key.
inline constexpr std::array<KeyBinding, 8> KeyTable = {{
    {SDLK_w, Up},
    {SDLK_d, Right},
    {SDLK_s, Down},
    {SDLK_a, Left},
    {SDLK_i, RotateCcw},
    {SDLK_o, RotateCw},
    {SDLK_p, RotateCcw2},
    {SDLK_SPACE, Space},
}};

// True until a quit request or the window's close button. Main thread only.
extern bool Running;

// Raised by the window events after which the window needs a picture presented (shown,
// exposed, maximized, restored, resized); the main loop presents one and lowers it. Main thread.
extern bool PictureWanted;

// The control bound to a key code, or 0 for a key outside the table.
InputBits ControlForKey(SDL_Keycode key);

// Drains the event queue without waiting and handles every event in arrival order. Main
// thread, with the GL context current.
void PumpEvents();
