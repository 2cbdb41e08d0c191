#include "x_window.h"

#include <SDL_syswm.h>

bool ResizeFromOutside(SDL_Window* window, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XResizeWindow(display, info.info.x11.window, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}
