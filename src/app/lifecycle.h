// The spine of the program: the media library, the one window and its GL context, the main
// loop and the orderly shutdown. main() runs these in order around the render set-up.
#pragma once

#include <SDL.h>

// Main thread only, from start-up to shutdown.
extern SDL_Window* Window;
extern SDL_GLContext GLContext;

// Reports a failure of the media library on standard output, shuts the library down and ends
// the process with status 1.
[[noreturn]] void FatalError(const char* message);

// Starts the media library's video subsystem and its controller support, opens the 960 by 720
// window, with the desktop's class and the game's icon, with an OpenGL 3.3 core context current
// on this thread, and loads the GL entry points. Answers false after a GLEW failure, which it has
// reported, and after which the program ends at once; a media-library failure does not return
// (FatalError).
bool OpenWindow();

// Pumps events and presents each tick that changes the picture, until a quit or close request:
// at once where swaps do not wait for a display slower than the ticks, else as late before a
// refresh as the drawing allows. Rests while nothing is to be drawn.
void RunMainLoop();

// Removes the timer, releases the GL objects, the context and the window, and shuts the
// media library down.
void ShutDown();
