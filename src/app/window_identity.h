// How the desktop knows the window: the desktop entry's id as the window's X11 class and Wayland
// app id, so that docks and task switchers match the running game to its launcher, and the
// game's icon on the window itself.
#pragma once

#include <SDL.h>

// Before the video subsystem starts, which reads the class from the environment once. A class
// that the user has set there stays.
void NameTheWindowClass();

// For window managers that take the icon from the window rather than from the desktop entry.
void ShowWindowIcon(SDL_Window* window);
