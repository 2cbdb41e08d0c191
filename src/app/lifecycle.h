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
// window, with the desktop's class and the game's icon, with the platform's GL context current
// on this thread, and loads the GL entry points. Answers false when they cannot be loaded (a
// GLEW failure), which it has reported, and after which the program ends at once; a
// media-library failure does not return (FatalError).
bool OpenWindow();

// What each platform's shell gives (desktop_shell.cpp, web_shell.cpp):

// Asks the media library for the GL context that the renderer draws with: OpenGL 3.3 core on
// the desktop, OpenGL ES 3.0 in the browser.
void AskForGLContext();

// Makes the current context ready to draw: loads its entry points and has its swaps wait for the
// display (on the desktop; the browser paces its frames itself). Answers false, after saying
// why, when it cannot.
bool StartGL();

// Pumps events, runs the ticks that are due and presents each tick that changes the picture,
// until a quit or close request. On the desktop the ticks come from the timer thread, and a
// picture at once where swaps do not wait for a display slower than the ticks, else as late
// before a refresh as the drawing allows; in the browser the ticks and the picture come from
// the browser's animation frames, and this returns at once.
void RunMainLoop();

// Removes the timer, releases the GL objects, the context and the window, and shuts the
// media library down.
void ShutDown();
