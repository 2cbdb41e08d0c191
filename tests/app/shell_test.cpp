// The program's window and its event pump, with events sent through the media library's own
// queue; built into the render tests' program, which opens the window the program's way.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "camera.h"
#include "event_pump.h"
#include "lifecycle.h"
#include "logic_timer.h"
#include "renderer.h"

// Puts the event on the media library's queue and has the pump take it off.
static void Send(Uint32 type, SDL_Keycode key = 0, Uint8 change = 0, int w = 0, int h = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    if (type == SDL_WINDOWEVENT) {
        event.window = {type, 0, SDL_GetWindowID(Window), change, 0, 0, 0, w, h};
    }
    SDL_PushEvent(&event);
    PumpEvents();
}

TEST(Shell, EachKeyHoldsItsControlUntilItIsReleased) {
    const std::pair<SDL_Keycode, InputBits> keys[] = {
        {SDLK_w, Up},        {SDLK_d, Right},    {SDLK_s, Down},       {SDLK_a, Left},
        {SDLK_i, RotateCcw}, {SDLK_o, RotateCw}, {SDLK_p, RotateCcw2}, {SDLK_SPACE, Space},
        {SDLK_ESCAPE, 0},    {SDLK_UP, 0},       {SDLK_q, 0},          {SDLK_RETURN, 0},
    };
    for (const auto& [key, control] : keys) {
        Send(SDL_KEYDOWN, SDLK_s);
        Send(SDL_KEYDOWN, key);
        EXPECT_EQ(HeldControls, Down | control) << SDL_GetKeyName(key);
        Send(SDL_KEYUP, key);
        Send(SDL_KEYUP, key);
        EXPECT_EQ(HeldControls, key == SDLK_s ? 0 : Down)
            << SDL_GetKeyName(key) << " released twice";
        Send(SDL_KEYUP, SDLK_s);
    }
    EXPECT_TRUE(Running);
}

TEST(Shell, SomeWindowEventsRedrawTheBackBufferForTheMainLoopToPresent) {
    const std::pair<Uint8, bool> events[] = {
        {SDL_WINDOWEVENT_SHOWN, true},     {SDL_WINDOWEVENT_EXPOSED, true},
        {SDL_WINDOWEVENT_MAXIMIZED, true}, {SDL_WINDOWEVENT_RESTORED, true},
        {SDL_WINDOWEVENT_MOVED, false},    {SDL_WINDOWEVENT_FOCUS_GAINED, false},
    };
    for (const auto& [windowEvent, redraws] : events) {
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        PictureWanted = false;
        Send(SDL_WINDOWEVENT, 0, windowEvent);
        unsigned char pixel[3] = {};
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(pixel[2] == 0, redraws) << "window event " << int(windowEvent);
        EXPECT_EQ(PictureWanted, redraws) << "and the main loop presents it";
    }
}

TEST(Shell, AResizeSetsTheViewportAndTheAspectAndCloseEndsTheRun) {
    // 1 / tan(22.5 degrees): the vertical scale of a 45-degree field of view.
    const float scale = 2.4142136f;
    const std::tuple<int, int, float> sizes[] = {
        {1280, 720, 16 / 9.0f}, {0, 0, 16 / 9.0f}, {300, 600, 0.5f}, {960, 720, 4 / 3.0f}};
    for (const auto& [width, height, aspect] : sizes) {
        PictureWanted = false;
        Send(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_RESIZED, width, height);
        EXPECT_TRUE(PictureWanted) << "the main loop presents the new size";
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2] * 10000 + viewport[3], width * 10000 + height);
        EXPECT_NEAR(ProjectionMatrix[0][0], scale / aspect, 1e-4) << width << "x" << height;
        EXPECT_NEAR(ProjectionMatrix[1][1], scale, 1e-4);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    Send(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_CLOSE);
    EXPECT_FALSE(Running);
    Running = true;
    Send(SDL_QUIT);
    EXPECT_FALSE(Running);
}

TEST(Shell, AFailedStartSaysWhyAndEndsWithStatusOne) {
    const std::string outputs = testing::TempDir() + "velmora_start";
    const std::tuple<const char*, const char*, std::string> starts[] = {
        {"SDL_VIDEODRIVER=nonexistent", "out", "Unable to initialize SDL: "},
        // The media library falls back to its off-screen driver, which GLEW cannot load from.
        {"-u DISPLAY -u WAYLAND_DISPLAY", "err",
         std::string("Error: ") + (const char*)glewGetErrorString(GLEW_ERROR_NO_GLX_DISPLAY)},
    };
    for (const auto& [environment, stream, text] : starts) {
        const int status =
            std::system(("env " + std::string(environment) + " " VELMORA_PROGRAM " >" + outputs +
                         ".out 2>" + outputs + ".err")
                            .c_str());
        EXPECT_EQ(WEXITSTATUS(status), 1) << environment;
        std::ifstream output(outputs + "." + stream);
        const std::string said(std::istreambuf_iterator<char>(output), {});
        EXPECT_NE(("\n" + said).find("\n" + text), std::string::npos)
            << environment << ": " << said;
    }
}
