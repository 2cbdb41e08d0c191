#include "menu_keys.h"

#include "live_recording.h"
#include "ranking_panel.h"
#include "renderer.h"

namespace {
// At GAMEOVER as the picture on screen shows it: the live game cannot leave GAMEOVER by itself,
// so the timer thread meets the request in the same phase.
void AskForNewGame() {
    // The new game's READYGO shows the ranking with no game just finished.
    if (DrawnFrame().phase == GAMEOVER && RequestNewGame(FreshSeed())) {
        ShownRanking.marked = -1;
    }
}

void ToggleFullscreen(SDL_Window* window) {
    if (window == nullptr) {
        return;
    }
    const bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                      SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}
} // namespace

void HandleMenuEvent(const SDL_Event& event) {
    if (event.type == SDL_CONTROLLERBUTTONDOWN &&
        event.cbutton.button == SDL_CONTROLLER_BUTTON_START) {
        AskForNewGame();
    }
    if (event.type != SDL_KEYDOWN || event.key.repeat != 0) {
        return;
    }
    const SDL_Keycode key = event.key.keysym.sym;
    const bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
    if (key == SDLK_F11 || (enter && (event.key.keysym.mod & KMOD_ALT) != 0)) {
        ToggleFullscreen(SDL_GetWindowFromID(event.key.windowID));
    } else if (enter) {
        AskForNewGame();
    }
}
