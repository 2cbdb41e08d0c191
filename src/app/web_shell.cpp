// The browser's shell: an OpenGL ES 3.0 (WebGL 2) context, whose entry points come linked in,
// and the main loop as one callback per animation frame on the page's one thread. Each frame
// follows the canvas's size on the page, reads the events, keeps a finished game in the
// browser's storage, runs the ticks that the schedule says are due, and draws a tick that
// changes the picture; the browser shows it when the callback returns.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>

#include "data_files.h"
#include "event_pump.h"
#include "frame_pacing.h"
#include "icon_image.h"
#include "lifecycle.h"
#include "logic_timer.h"
#include "pause.h"
#include "records_keeper.h"
#include "renderer.h"
#include "snapshot.h"
#include "tick_schedule.h"

namespace {
// The media library draws on the page's element of this id.
constexpr const char* Canvas = "#canvas";
constexpr int PageIconSize = 64;

TickSchedule Schedule;
PauseGate Gate;         // as the desktop's timer thread keeps it
unsigned FilesKept = 0; // the changes to files that the browser's storage has been asked to keep
GameState Newest;       // the newest tick published
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
    // Paused, no tick runs; the first after a resume comes a period after it, as on the desktop.
    if (HoldTick(Gate, Schedule, Paused, ResumedAt.load(std::memory_order_relaxed), now) > 0) {
        return false;
    }
    const std::uint32_t due = TicksDue(Schedule, now);
    for (std::uint32_t tick = 0; tick < due; ++tick) {
        StepLiveGame();
    }
    TicksRun += due;
    return due > 0;
}

// What the page and its tests can read of the game: the ticks run since the page opened, and of
// the newest tick its phase, its frame count, the controls it read and the time of the frame
// that ran it (on the page's clock, performance.now()).
EM_JS(void, ShowGame, (unsigned ticks, unsigned phase, unsigned frames, unsigned controls), {
    const game = Module.game || {ticks : 0};
    const at = ticks == game.ticks ? game.at : performance.now();
    Module.game = {ticks : ticks, phase : phase, frames : frames, controls : controls, at : at};
});

// The page's icon, drawn from the block faces as the desktop window's is: rows of RGB pixels.
EM_JS(void, ShowPageIcon, (const std::uint8_t* pixels, int size), {
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = size;
    const context = canvas.getContext('2d');
    const image = context.createImageData(size, size);
    for (let i = 0; i < size * size; i++) {
        image.data.set(HEAPU8.subarray(pixels + 3 * i, pixels + 3 * i + 3), 4 * i);
        image.data[4 * i + 3] = 255;
    }
    context.putImageData(image, 0, 0);
    document.querySelector('link[rel=icon]').href = canvas.toDataURL();
});

// The page writes the files kept in memory to the browser's storage (storage.js).
EM_JS(void, KeepFilesInBrowser, (), { Module.keepFiles(); });

void Frame() {
    FollowPageSize();
    PumpEvents();
    const bool gameKept = KeepFinishedGame();
    PictureWanted = PictureWanted || gameKept;
    if (FilesChanged != FilesKept) {
        // The files live in memory until the page writes them to the browser's storage.
        KeepFilesInBrowser();
        FilesKept = FilesChanged;
    }
    // Nothing else publishes: a frame that ran a tick has a new one, whatever RedrawPending says.
    const bool newTick = RunDueTicks();
    const bool published = newTick && CopySnapshot(Newest);
    ShowGame(TicksRun, Newest.phase, Newest.frameCount, Newest.prevControls);
    if (LookFor(newTick, PictureWanted, published ? &Newest : nullptr, DrawnFrame()) ==
        Look::Present) {
        PictureWanted = false;
        RenderFrame();
    }
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

void StartLogicTimer() {
    // The frames run the ticks; the schedule reads the same counter as on the desktop.
    Schedule = TickSchedule{};
    Schedule.frequency = SDL_GetPerformanceFrequency();
}

void RunMainLoop() {
    const std::vector<std::uint8_t> icon = IconPixels(PageIconSize);
    ShowPageIcon(icon.data(), PageIconSize);
    // At the browser's animation frames. The loop stands in for main's own: main goes no further,
    // and the page lives on until it is closed.
    emscripten_set_main_loop(Frame, 0, 1);
}
