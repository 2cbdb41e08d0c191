#include "lifecycle.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "controllers.h"
#include "event_pump.h"
#include "frame_pacing.h"
#include "logic_timer.h"
#include "records_keeper.h"
#include "renderer.h"
#include "snapshot.h"
#include "tick_schedule.h"
#include "window_identity.h"

SDL_Window* Window = nullptr;
SDL_GLContext GLContext = nullptr;

namespace {
constexpr int WindowWidth = 960;
constexpr int WindowHeight = 720;
// The longest the main loop sleeps with nothing to draw: a tick's redraw waits at most this
// long to be noticed, a sixteenth of a tick.
constexpr int IdleWaitMs = 1;
// While ticks change nothing, the next ones most likely will not either: the first tick that
// does (the first piece entering) is shown up to this long late, and a wake-up of the main
// thread saved per tick halves what standing still costs.
constexpr int StandingStillWaitMs = static_cast<int>(2 * TickPeriodMs);
// The media library's wait counts whole milliseconds and runs up to a few of them long, so a
// wait for a deadline ends in short sleeps against the clock over this last stretch.
constexpr Micros PolledStretch = 3000;
constexpr Micros PollStep = 1000;
// How often events are read while the GL finishes a picture.
constexpr GLuint64 FinishPollNanos = 250'000;

Micros Now() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count();
}

// Waits until the moment or an event, whichever comes first.
void WaitUntil(Micros moment) {
    for (Micros left = moment - Now(); left > 0; left = moment - Now()) {
        if (left > PolledStretch) {
            const auto wholeMs = static_cast<int>((left - PolledStretch) / 1000);
            if (SDL_WaitEventTimeout(nullptr, std::max(wholeMs, 1)) != 0) {
                return;
            }
            continue;
        }
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(left, PollStep)));
    }
}

// Waits until the GL has finished what it was given, reading events meanwhile: a key pressed
// while a picture is drawn still reaches the next tick.
void FinishReadingEvents() {
    const GLsync finished = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    while (glClientWaitSync(finished, GL_SYNC_FLUSH_COMMANDS_BIT, FinishPollNanos) ==
           GL_TIMEOUT_EXPIRED) {
        PumpEvents();
    }
    glDeleteSync(finished);
}

// Draws the newest tick and presents it, timing both for the pacing.
void Present(FramePacing& pacing) {
    const Micros start = Now();
    RenderFrame();
    // Finished here, the drawing's time stands apart from the swap's wait for the display.
    FinishReadingEvents();
    const Micros drawn = Now();
    NoteDrawing(pacing, drawn - start);
    SDL_GL_SwapWindow(Window);
    // No second picture is queued behind this one: the next drawing starts from a shown one.
    glFinish();
    NoteSwap(pacing, drawn, Now());
}
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
    FramePacing pacing;
    GameState newest;
    Micros deadline = 0;     // of the next look for a new tick
    Micros tickSeen = 0;     // when a look last found a new tick
    bool stoodStill = false; // a look since the last picture found the picture standing still
    while (Running) {
        PumpEvents();
        // A game kept changes the ranking beside the well, which no tick shows.
        PictureWanted = KeepFinishedGame() || PictureWanted;
        if (Now() < deadline) {
            WaitUntil(deadline);
            continue;
        }
        // The first pass, before any tick, presents the clear colour.
        const bool newTick = RedrawPending.exchange(false, std::memory_order_acquire);
        tickSeen = newTick ? Now() : tickSeen;
        const bool published = newTick && CopySnapshot(newest);
        const Look look =
            LookFor(newTick, PictureWanted, published ? &newest : nullptr, DrawnFrame());
        if (look == Look::Present) {
            PictureWanted = false;
            stoodStill = false;
            Present(pacing);
        } else if (look == Look::StandingStill) {
            // A tick that changes the picture after this wait is drawn at once, aimed at no
            // refresh. The first such look after a picture may only have met the tick that the
            // drawing took up just after the last look, in the middle of play: it waits as long
            // as a look for nothing does.
            SDL_WaitEventTimeout(nullptr, stoodStill ? StandingStillWaitMs : IdleWaitMs);
            stoodStill = true;
            pacing.aim = 0;
            continue;
        } else if (!Paced(pacing)) {
            // Polling without a pause would keep a core busy for nothing, and on a small
            // machine that core is the one the timer thread and the GL driver's threads need
            // to run on time. An event ends the wait at once and stays queued for PumpEvents.
            // Near a tick, the library's whole-millisecond wait would hold its picture back.
            if (TickDueSoon(tickSeen, Now())) {
                WaitUntil(Now() + TickLookStep);
            } else {
                SDL_WaitEventTimeout(nullptr, IdleWaitMs);
            }
        }
        deadline = NextDeadline(pacing, Now());
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
