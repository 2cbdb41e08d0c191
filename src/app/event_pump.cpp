#include "event_pump.h"

#include "camera.h"
#include "logic_timer.h"
#include "renderer.h"

bool Running = true;
bool PictureWanted = false;

InputBits ControlForKey(SDL_Keycode key) {
    for (const KeyBinding& binding : KeyTable) {
        if (binding.key == key) {
            return binding.control;
        }
    }
    return 0;
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
    default:
        break;
    }
}
} // namespace

void PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT:
            Running = false;
            break;
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
            // An auto-repeated key-down sets a bit that is already set.
            HeldControls.fetch_or(ControlForKey(event.key.keysym.sym), std::memory_order_relaxed);
            break;
        case SDL_KEYUP:
            HeldControls.fetch_and(~ControlForKey(event.key.keysym.sym), std::memory_order_relaxed);
            break;
        default:
            break;
        }
    }
}
