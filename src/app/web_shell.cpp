// The browser's shell: an OpenGL ES 3.0 (WebGL 2) context, whose entry points come linked in,
// and the main loop as one callback per animation frame on the page's one thread. Each frame
// follows the canvas's size on the page, reads the events, keeps a finished game in the
// browser's storage, runs the ticks that the schedule says are due, and draws a tick that
// changes the picture; the browser shows it when the callback returns.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>

#include "event_pump.h"
#include "frame_pacing.h"
#include "lifecycle.h"
#include "logic_timer.h"
#include "records_keeper.h"
#include "renderer.h"
#include "snapshot.h"
#include "tick_schedule.h"

namespace {
// The media library draws on the page's element of this id.
constexpr const char* Canvas = "#canvas";

TickSchedule Schedule;
GameState Newest;           // the newest tick published
std::uint32_t TicksRun = 0; // since the page opened

// The canvas's pixels are the device's: its size on the page times the device's pixel ratio.
// A change reaches the renderer as a window's resize does on the desktop.
void FollowPageSize() {
    double pageWidth = 0, pageHeight = 0;
    emscripten_get_element_css_size(Canvas, &pageWidth, &pageHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    const int width = static_cast<int>(std::lround(pageWidth * ratio));
    const int height = static_cast<int>(std::lround(pageHeight * ratio));
    int shownWidth = 0, shownHeight = 0;
    emscripten_get_canvas_element_size(Canvas, &shownWidth, &shownHeight);
    if (width == shownWidth && height == shownHeight) {
        return;
    }
    emscripten_set_canvas_element_size(Canvas, width, height);
    SDL_Event resized{};
    resized.type = SDL_WINDOWEVENT;
    resized.window.event = SDL_WINDOWEVENT_RESIZED;
    resized.window.data1 = width;
    resized.window.data2 = height;
    SDL_PushEvent(&resized);
}

// Every tick that is due: more than one after a frame that came late. A tab that is hidden gets
// no frames; its first frame back finds the schedule stalled, which starts it again from there,
// so the game stands still while it is not seen and does not catch up in a burst.
bool RunDueTicks() {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    bool ran = false;
    while (TickDue(Schedule, now)) {
        StepLiveGame();
        NextTickDelay(Schedule, now);
        ++TicksRun;
        ran = true;
    }
    return ran;
}

// What the page and its tests can read of the game, as of this frame: the ticks run, the
// newest tick's phase and frame count, the controls held, and the frame's time.
EM_JS(void, ShowGame, (unsigned ticks, unsigned phase, unsigned frames, unsigned controls), {
    Module.game = {
        ticks : ticks,
        phase : phase,
        frames : frames,
        controls : controls,
        at : performance.now()
    };
});

// The page writes the files kept in memory to the browser's storage (page.js).
EM_JS(void, KeepFilesInBrowser, (), { Module.keepFiles(); });

void Frame() {
    FollowPageSize();
    PumpEvents();
    if (KeepFinishedGame()) {
        // The files live in memory until the page writes them to the browser's storage.
        KeepFilesInBrowser();
        PictureWanted = true;
    }
    const bool newTick = RunDueTicks() && RedrawPending.exchange(false);
    const bool published = newTick && CopySnapshot(Newest);
    if (LookFor(newTick, PictureWanted, published ? &Newest : nullptr, DrawnFrame()) ==
        Look::Present) {
        PictureWanted = false;
        RenderFrame();
    }
    ShowGame(TicksRun, Newest.phase, Newest.frameCount, HeldControls.load());
    if (!Running) {
        emscripten_cancel_main_loop();
        ShutDown();
    }
}
} // namespace

void AskForGLContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
}

bool StartGL() {
    if (GLContext == nullptr) {
        std::fprintf(stderr, "Unable to draw with WebGL 2: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

SDL_TimerID StartLogicTimer() {
    // The frames run the ticks; the schedule reads the same counter as on the desktop.
    Schedule = TickSchedule{};
    Schedule.frequency = SDL_GetPerformanceFrequency();
    return 0;
}

void RunMainLoop() {
    // At the browser's animation frames. The loop stands in for main's own: main goes no further,
    // and the page lives on until it is closed.
    emscripten_set_main_loop(Frame, 0, 1);
}
