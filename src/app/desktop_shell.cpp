// The desktop's shell: an OpenGL 3.3 core context with its entry points loaded by GLEW, the
// logic timer on the media library's timer thread, and the main loop that presents each tick as
// the display allows.
#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "desktop_loop.h"
#include "event_pump.h"
#include "frame_pacing.h"
#include "lifecycle.h"
#include "logic_timer.h"
#include "pause.h"
#include "records_keeper.h"
#include "renderer.h"
#include "snapshot.h"
#include "tick_schedule.h"

Micros Now() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count();
}

bool EventDuring(Rest rest) {
    if (rest.libraryMs != 0) {
        return SDL_WaitEventTimeout(nullptr, rest.libraryMs) != 0;
    }
    SDL_PumpEvents();
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
        return true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(rest.polled));
    return false;
}

bool WaitUntil(Micros moment) {
    for (Rest step = NextWaitStep(moment - Now()); step.libraryMs != 0 || step.polled != 0;
         step = NextWaitStep(moment - Now())) {
        if (EventDuring(step)) {
            return false;
        }
    }
    return true;
}

void FinishReadingEvents(GLsync fence) {
    const auto poll = std::chrono::nanoseconds(std::chrono::microseconds(TickLookStep));
    do {
        PumpEvents();
    } while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, poll.count()) ==
             GL_TIMEOUT_EXPIRED);
    glDeleteSync(fence);
}

void Present(FramePacing& pacing) {
    PictureWanted = false;
    const Micros start = Now();
    RenderFrame();
    // Finished here, the drawing's time stands apart from the swap's wait for the display.
    FinishReadingEvents(glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0));
    const Micros drawn = Now();
    NoteDrawing(pacing, drawn - start);
    SDL_GL_SwapWindow(Window);
    // No second picture is queued behind this one: the next drawing starts from a shown one.
    glFinish();
    NoteSwap(pacing, drawn, Now());
}

void AskForGLContext() {
    // The renderer needs vertex arrays and GLSL 3.30.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
}

bool StartGL() {
    // GLEW 2 reads a core profile's extensions through glGetStringi, with no error left behind.
    // Through EGL (Wayland's way) it finds no GLX display, after it has loaded every entry point:
    // only GLX's own extensions, which the game never uses, are then unknown.
    const GLenum result = glewInit();
    if (result != GLEW_OK && result != GLEW_ERROR_NO_GLX_DISPLAY) {
        std::fprintf(stderr, "Error: %s\n", glewGetErrorString(result));
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    return true;
}

LoopMemory MainLoop;

void RunMainLoop() {
    GameState newest;
    // The window's shown event asks for the first picture (the clear colour, before any tick).
    while (Running) {
        // Events that end the wait are read before it goes on; those that come meanwhile, before
        // the look.
        const bool due = WaitUntil(MainLoop.deadline);
        PumpEvents();
        // A game kept changes the ranking beside the well, which no tick shows.
        PictureWanted = KeepFinishedGame() || PictureWanted;
        if (!due) {
            continue;
        }
        const Micros looked = Now();
        // A tick raises the flag once it is published: there is always one to copy then.
        const bool newTick =
            RedrawPending.exchange(false, std::memory_order_acquire) && CopySnapshot(newest);
        const Look look = LookFor(newTick, PictureWanted, &newest, DrawnFrame());
        if (look == Look::Present) {
            Present(MainLoop.pacing);
        }
        // Polling without a pause would keep a core busy for nothing, and on a small machine
        // that core is the one the timer thread and the GL driver's threads need to run on time.
        EventDuring(AfterLook(MainLoop, newTick, look, looked, Now(), Paused));
    }
}
