// The keys and buttons beside the game's controls: Enter (either Enter key) or a controller's
// Start at GAMEOVER asks for a new game; F11 or Alt+Enter switches the window between a window
// and desktop fullscreen. They hold no control, so the rules never see them.
#pragma once

#include <SDL.h>

// Handles the event if it is one of these; every other event is left alone. Main thread.
void HandleMenuEvent(const SDL_Event& event);
