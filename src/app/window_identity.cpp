#include "window_identity.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "icon_image.h"

namespace {
// Large enough for a task switcher, small enough to cost start-up nothing to draw.
constexpr int WindowIconSize = 64;
} // namespace

void NameTheWindowClass() {
    // VELMORA_APP_ID is the desktop entry's id, given by the build.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", VELMORA_APP_ID, 0);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", VELMORA_APP_ID, 0);
}

void ShowWindowIcon(SDL_Window* window) {
    std::vector<std::uint8_t> pixels = IconPixels(WindowIconSize);
    const std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> icon(
        SDL_CreateRGBSurfaceWithFormatFrom(
            pixels.data(), WindowIconSize, WindowIconSize, SDL_BITSPERPIXEL(SDL_PIXELFORMAT_RGB24),
            WindowIconSize * SDL_BYTESPERPIXEL(SDL_PIXELFORMAT_RGB24), SDL_PIXELFORMAT_RGB24),
        SDL_FreeSurface);
    // The window copies the pixels; a surface that could not be made leaves it without an icon.
    SDL_SetWindowIcon(window, icon.get());
}
