#include "lifecycle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "camera.h"
#include "controllers.h"
#include "logic_timer.h"
#include "renderer.h"
#include "window_identity.h"

SDL_Window* Window = nullptr;
SDL_GLContext GLContext = nullptr;

void FatalError(const char* message) {
    std::printf("%s: %s\n", message, SDL_GetError());
    SDL_Quit();
    std::exit(1);
}

bool OpenWindow() {
    NameTheWindowClass();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        FatalError("Unable to initialize SDL");
    }
    // Without a display the library falls back to drawing off screen, where the game would run
    // on unseen.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0) {
        SDL_SetError("no display to show the game on");
        FatalError("Unable to initialize SDL");
    }
    StartControllers();
    // The library resets its GL attributes when the video subsystem starts, so the requests only
    // count from here on. Double buffering is its default; a depth buffer of 16 bits is too.
    AskForGLContext();
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    Window =
        SDL_CreateWindow("Velmora", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, StartWidth,
                         StartHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (Window == nullptr) {
        FatalError("Unable to create window");
    }
    ShowWindowIcon(Window);
    // A context that could not be created shows up as a failure to load the entry points.
    GLContext = SDL_GL_CreateContext(Window);
    return StartGL();
}

void ShutDown() {
    // The timer goes first: no tick may run against released objects. A tick already under
    // way finishes on the game records, which outlive main.
    SDL_RemoveTimer(LogicTimer);
    // With the context go the programs, textures, arrays and buffers made in it.
    SDL_GL_DeleteContext(GLContext);
    GLContext = nullptr;
    SDL_DestroyWindow(Window);
    Window = nullptr;
    SDL_Quit();
}
