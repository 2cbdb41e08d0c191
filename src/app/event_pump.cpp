#include "event_pump.h"

#include "camera.h"
#include "controllers.h"
#include "logic_timer.h"
#include "menu_keys.h"
#include "renderer.h"
#include "settings_file.h"
#include "sound_device.h"

bool Running = true;
bool PictureWanted = false;

namespace {
// The controls that keys hold; the controllers hold theirs apart, and a control is held while any
// of them holds it.
InputBits KeyControls = 0;
} // namespace

InputBits ControlForKey(SDL_Keycode key) {
    return BoundControl(CurrentSettings.bindings, {Device::Key, key});
}

void ReleaseHeldControls() {
    KeyControls = 0;
    ReleaseControllers();
}

namespace {
void HandleWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        // Into the back buffer only: the main loop draws again before its swap.
        RenderFrame();
        PictureWanted = true;
        break;
    case SDL_WINDOWEVENT_RESIZED:
        ResizeViewport(event.data1, event.data2);
        PictureWanted = true;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Running = false;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // A game in a window left for another waits: nothing stays held, and until the focus
        // returns the library passes on no key and no controller press.
        ReleaseHeldControls();
        PauseFor(PauseEvent::FocusLost);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        PauseFor(PauseEvent::Minimised);
        break;
    default:
        break;
    }
}
} // namespace

void PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (TakeForKeySettings(event)) {
            continue;
        }
        HandleSoundEvent(event);
        HandleMenuEvent(event);
        switch (event.type) {
        case SDL_QUIT:
            Running = false;
            break;
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
            // An auto-repeated key-down sets a bit that is already set.
            KeyControls |= ControlForKey(event.key.keysym.sym);
            break;
        case SDL_KEYUP:
            KeyControls &= ~ControlForKey(event.key.keysym.sym);
            break;
        default:
            HandleControllerEvent(event);
            break;
        }
    }
    HeldControls.store(KeyControls | ControllerControls(), std::memory_order_relaxed);
}
