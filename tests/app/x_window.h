// Changes to the program's window made from outside, through an X connection of their own, as
// a window manager or the player would make them. Kept apart because Xlib's `Window` type and
// the program's `Window` cannot meet in one file.
#pragma once

#include <SDL.h>

// Asks the X server to resize the window; answers false when the window is not an X window.
bool ResizeFromOutside(SDL_Window* window, int width, int height);
