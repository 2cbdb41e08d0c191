#include "menu_keys.h"

#include "controllers.h"
#include "event_pump.h"
#include "key_settings.h"
#include "live_recording.h"
#include "ranking_panel.h"
#include "renderer.h"
#include "settings_file.h"
#include "sound_device.h"
#include "well_words.h"

namespace {
// Main thread only.
KeySettingsScreen Screen;

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
    CurrentSettings.fullscreen = !full;
    SaveSettings();
}

void ShowWellWords() {
    WellWords = Screen.open ? HeadedLines(KeySettingsWords(Screen))
                : Paused    ? PauseWords()
                            : std::vector<WellLine>{};
    PictureWanted = true;
}

void OpenKeySettingsScreen() {
    if (Paused || DrawnFrame().phase == GAMEOVER) {
        Screen = OpenKeySettings(CurrentSettings.bindings);
        ShowWellWords();
    }
}

// The press that the screen takes from the event, if it is one.
bool PressIn(const SDL_Event& event, Input& press) {
    switch (event.type) {
    case SDL_KEYDOWN:
        press = {Device::Key, event.key.keysym.sym};
        return event.key.repeat == 0;
    case SDL_CONTROLLERBUTTONDOWN:
        press = {Device::Pad, event.cbutton.button};
        return true;
    case SDL_JOYBUTTONDOWN:
        // A controller with a layout reports its raw buttons too; those are read by the layout.
        press = {Device::Joystick, event.jbutton.button};
        return PlainJoystick(event.jbutton.which);
    case SDL_JOYHATMOTION:
        press = {Device::Joystick, HatCode | event.jhat.value};
        return PlainJoystick(event.jhat.which) && event.jhat.hat == 0 &&
               (event.jhat.value == SDL_HAT_UP || event.jhat.value == SDL_HAT_RIGHT ||
                event.jhat.value == SDL_HAT_DOWN || event.jhat.value == SDL_HAT_LEFT);
    default:
        return false;
    }
}
} // namespace

void StartWithSettings(SDL_Window* window) {
    LoadSettings();
    SoundMuted.store(CurrentSettings.muted, std::memory_order_relaxed);
    if (CurrentSettings.fullscreen) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
}

void PauseFor(PauseEvent event) {
    if (HandlePauseEvent(event, DrawnFrame().phase)) {
        ShowWellWords();
    }
}

bool TakeForKeySettings(const SDL_Event& event) {
    Input press;
    if (!Screen.open || !PressIn(event, press)) {
        return false;
    }
    Screen = StepKeySettings(Screen, press);
    if (!Screen.open) {
        // The new bindings hold at once; what the old ones held is let go.
        CurrentSettings.bindings = Screen.bindings;
        SaveSettings();
        ReleaseHeldControls();
    }
    ShowWellWords();
    return true;
}

void HandleMenuEvent(const SDL_Event& event) {
    if (event.type == SDL_CONTROLLERBUTTONDOWN &&
        event.cbutton.button == SDL_CONTROLLER_BUTTON_START) {
        AskForNewGame();
        PauseFor(PauseEvent::PauseKey);
    }
    if (event.type == SDL_JOYDEVICEREMOVED) {
        PauseFor(PauseEvent::ControllerUnplugged);
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
    } else if (key == SDLK_ESCAPE) {
        PauseFor(PauseEvent::PauseKey);
    } else if (key == SDLK_F2) {
        OpenKeySettingsScreen();
    } else if (key == SDLK_m) {
        // The sound's own handler, before this one, has switched it.
        CurrentSettings.muted = SoundMuted.load(std::memory_order_relaxed);
        SaveSettings();
    }
}
