// The event pump: the one consumer of the media library's event queue. Keyboard and controller
// events become the held controls, as the settings bind them, quit and close requests end the
// run, some window events redraw or pause, and a resize adapts the viewport and the projection.
#pragma once

#include <SDL.h>

#include "game_state.h"

// True until a quit request or the window's close button. Main thread only.
extern bool Running;

// Raised by the window events after which the window needs a picture presented (shown,
// exposed, maximized, restored, resized); the main loop presents one and lowers it. Main thread.
extern bool PictureWanted;

// The control that the settings bind to a key code, or 0.
InputBits ControlForKey(SDL_Keycode key);

// The keyboard and every controller let go of everything they hold, until pressed again.
void ReleaseHeldControls();

// Drains the event queue without waiting and handles every event in arrival order. Main
// thread, with the GL context current.
void PumpEvents();
