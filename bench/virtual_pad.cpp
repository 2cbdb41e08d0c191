// Preloaded into the program by cpu_bench (LD_PRELOAD): a pad is plugged in as the program starts
// its controller support, one of the media library's virtual controllers, so that the program
// runs with a controller open as a player's would. It says on standard error when the program
// has opened it, which cpu_bench checks. The library is looked up, not linked, so that the shell
// and setpriv, which start the program and inherit the preload, load nothing of it.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>

template <class Function>
static Function* Real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

extern "C" int SDL_InitSubSystem(Uint32 flags) {
    const int result = Real<int(Uint32)>("SDL_InitSubSystem")(flags);
    if (result == 0 && (flags & SDL_INIT_GAMECONTROLLER) == SDL_INIT_GAMECONTROLLER) {
        SDL_VirtualJoystickDesc pad{};
        pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        pad.naxes = SDL_CONTROLLER_AXIS_MAX;
        pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        Real<int(const SDL_VirtualJoystickDesc*)>("SDL_JoystickAttachVirtualEx")(&pad);
    }
    return result;
}

extern "C" SDL_GameController* SDL_GameControllerOpen(int deviceIndex) {
    SDL_GameController* pad = Real<SDL_GameController*(int)>("SDL_GameControllerOpen")(deviceIndex);
    if (pad != nullptr) {
        std::fprintf(stderr, "virtual_pad: the program opened a controller\n");
    }
    return pad;
}
