#include "lifecycle.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>

#include "controllers.h"
#include "event_pump.h"
#include "logic_timer.h"
#include "renderer.h"
#include "snapshot.h"
#include "window_identity.h"

SDL_Window* Window = nullptr;
SDL_GLContext GLContext = nullptr;

namespace {
constexpr int WindowWidth = 960;
constexpr int WindowHeight = 720;
// The longest the main loop sleeps with nothing to draw: a tick's redraw waits at most this
// long to be noticed, a sixteenth of a tick.
constexpr int IdleWaitMs = 1;
} // namespace

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
    StartControllers();
    // The library resets its GL attributes when the video subsystem starts, so the version
    // request only counts from here on. The renderer needs vertex arrays and GLSL 3.30.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    Window =
        SDL_CreateWindow("Velmora", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, WindowWidth,
                         WindowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (Window == nullptr) {
        FatalError("Unable to create window");
    }
    ShowWindowIcon(Window);
    // A context that could not be created shows up as the GLEW failure below.
    GLContext = SDL_GL_CreateContext(Window);

    // Core profiles list their extensions only through glGetStringi; without this GLEW would
    // miss entry points there.
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    if (result != GLEW_OK) {
        std::fprintf(stderr, "Error: %s\n", glewGetErrorString(result));
        if (GLContext != nullptr) {
            SDL_GL_DeleteContext(GLContext);
            GLContext = nullptr;
        }
        SDL_DestroyWindow(Window);
        Window = nullptr;
        SDL_Quit();
        return false;
    }
    // glewInit may probe the core profile with a call it rejects; that error is GLEW's, and
    // nothing of ours should meet it.
    glGetError();

    SDL_GL_SetSwapInterval(1);
    return true;
}

void RunMainLoop() {
    while (Running) {
        PumpEvents();
        // Cleared before drawing, so a tick that lands during the frame draws once more.
        if (RedrawPending.exchange(false, std::memory_order_acquire)) {
            RenderFrame();
            SDL_GL_SwapWindow(Window);
        } else {
            // Polling without a pause would keep a core busy for nothing, and on a small
            // machine that core is the one the timer thread and the GL driver's threads need
            // to run on time. An event ends the wait at once and stays queued for PumpEvents.
            SDL_WaitEventTimeout(nullptr, IdleWaitMs);
        }
    }
}

void ShutDown() {
    // The timer goes first: no tick may run against released objects. A tick already under
    // way finishes on the game records, which outlive main.
    SDL_RemoveTimer(LogicTimer);
    DestroyRenderObjects();
    SDL_GL_DeleteContext(GLContext);
    GLContext = nullptr;
    SDL_DestroyWindow(Window);
    Window = nullptr;
    SDL_Quit();
}
