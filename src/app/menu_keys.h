// The keys and buttons beside the game's controls: Escape or a controller's Start pauses the game
// and resumes it, and Start at GAMEOVER, as Enter (either Enter key), asks for a new game; F2,
// while paused or at GAMEOVER, opens the key settings, which then take every key and button
// pressed; F11 or Alt+Enter switches the window between a window and desktop fullscreen, and M
// the sound, each kept in the settings file. They hold no control, so the rules never see them.
#pragma once

#include <SDL.h>

#include "pause.h"

// Main thread, once the window is open: reads the settings file and starts the sound and the
// window as they were left.
void StartWithSettings(SDL_Window* window);

// Pauses or resumes as the event asks, in the phase on screen, showing what follows.
void PauseFor(PauseEvent event);

// While the key settings are open, takes a key or button pressed and answers true: the pump
// then passes the event on to nothing else. Answers false otherwise.
bool TakeForKeySettings(const SDL_Event& event);

// Handles the event if it is one of these; every other event is left alone. Main thread.
void HandleMenuEvent(const SDL_Event& event);
