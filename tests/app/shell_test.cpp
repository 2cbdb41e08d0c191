// The program's window and its event pump, with events sent through the media library's own
// queue; built into the render tests' program, which opens the window the program's way.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "camera.h"
#include "command_line.h"
#include "cue_ring.h"
#include "desktop_loop.h"
#include "event_pump.h"
#include "lifecycle.h"
#include "live_recording.h"
#include "logic_timer.h"
#include "menu_keys.h"
#include "ranking_panel.h"
#include "records_keeper.h"
#include "renderer.h"
#include "settings_file.h"
#include "snapshot.h"
#include "sound_device.h"
#include "window_identity.h"

// Puts the event on the media library's queue and has the pump take it off.
static void Send(Uint32 type, SDL_Keycode key = 0, Uint8 change = 0, int w = 0, int h = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.windowID = SDL_GetWindowID(Window);
    if (type == SDL_WINDOWEVENT) {
        event.window = {type, 0, SDL_GetWindowID(Window), change, 0, 0, 0, w, h};
    }
    SDL_PushEvent(&event);
    PumpEvents();
}

// The main loop's steps. Its rests and waits: an event ends each at once and stays queued for
// the pump; without one, a wait lasts until its moment, however near or past, and a rest of the
// loop's own sleep as long as it says. A picture presented on a display paced at 50 Hz reads the
// events meanwhile and leaves none wanted; its drawing (half of its first time) and the swap's
// return are noted, without an error of the GL's. The finish deletes the fence it waited for.
TEST(Shell, TheLoopsRestsAndWaitsEndAtAnEventOrTheirMomentAndAPictureIsTimedForThePacing) {
    SDL_EventState(SDL_WINDOWEVENT, SDL_IGNORE); // none asks for a picture meanwhile
    SDL_Event quit{SDL_QUIT};
    SDL_PushEvent(&quit);
    EXPECT_TRUE(!WaitUntil(Now() + 60'000'000) && EventDuring({1, 0}) && EventDuring({0, 1}));
    FramePacing pacing{20'000, 0, 0, 0, 0, TrustedReturns, true};
    PictureWanted = true;
    const Micros before = Now();
    Present(pacing);
    // clang-format off
    EXPECT_EQ(std::tuple(Running, PictureWanted, pacing.drawing > 0, pacing.drawing <= (Now() - before) / 2, pacing.lastReturn >= before, pacing.lastReturn <= Now(), glGetError()), std::tuple(false, false, true, true, true, true, GLenum(GL_NO_ERROR)));
    // clang-format on
    Running = true;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (const Micros ahead : {-1, 0, 4'000, 20'000}) {
        const Micros moment = Now() + ahead;
        // clang-format off
        EXPECT_TRUE(WaitUntil(moment) && Now() >= moment && !EventDuring({0, ahead}) && Now() >= moment + ahead) << ahead;
        // clang-format on
    }
    // The pointer moved in the window from its middle: the X server's event, which the rest
    // itself must read.
    SDL_WarpMouseInWindow(Window, 3, 5);
    for (int rests = 0; !EventDuring({0, 1'000}); ++rests) {
        ASSERT_LT(rests, 1'000);
    }
    const GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    FinishReadingEvents(fence);
    EXPECT_FALSE(glIsSync(fence));
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); // the pointer's, and the end of a poll
    SDL_EventState(SDL_WINDOWEVENT, SDL_ENABLE);
}

TEST(Shell, EachKeyHoldsItsControlUntilItIsReleased) {
    // clang-format off
    const std::pair<SDL_Keycode, InputBits> keys[] = {{SDLK_d, Right}, {SDLK_w, Up}, {SDLK_s, Down}, {SDLK_a, Left}, {SDLK_i, RotateCcw}, {SDLK_o, RotateCw}, {SDLK_p, RotateCcw2},
                                                      {SDLK_SPACE, Space}, {SDLK_ESCAPE, 0}, {SDLK_UP, 0}, {SDLK_q, 0}, {SDLK_RETURN, 0}};
    // clang-format on
    for (const auto& [key, control] : keys) {
        Send(SDL_KEYDOWN, SDLK_s);
        Send(SDL_KEYDOWN, key);
        EXPECT_EQ(HeldControls, Down | control) << SDL_GetKeyName(key);
        Send(SDL_KEYUP, key);
        Send(SDL_KEYUP, key);
        // clang-format off
        EXPECT_EQ(HeldControls, key == SDLK_s ? 0 : Down) << SDL_GetKeyName(key) << " released twice";
        // clang-format on
        Send(SDL_KEYUP, SDLK_s);
    }
    EXPECT_TRUE(Running);
}

// A virtual device of the media library's, plugged in with a layout when one is given: the pump
// opens it; the handle moves it by its own buttons' numbers.
static SDL_Joystick* Plug(SDL_JoystickType type, Uint16 axes, Uint16 buttons, Uint16 hats,
                          const char* layout = nullptr) {
    SDL_VirtualJoystickDesc device{};
    // clang-format off
    std::tie(device.version, device.type, device.naxes, device.nbuttons, device.nhats) = std::tuple(SDL_VIRTUAL_JOYSTICK_DESC_VERSION, type, axes, buttons, hats);
    const int index = SDL_JoystickAttachVirtualEx(&device);
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    if (layout) { // for the device whatever its name: without the name's check sum
        SDL_GameControllerAddMapping((std::string(guid).replace(4, 4, "0000") + ",pad," + layout).c_str());
    }
    // clang-format on
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    PumpEvents();
    return handle;
}

// The steps run in order, each after the ones before it: the stick's rows take it to either side
// of half and of a quarter of a deflection, along its stronger axis only.
TEST(Shell, ControllersHoldWhatTheirKeysHoldBesideTheKeyboard) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1"); // the window has no focus
    // A pad whose south and west buttons are each other's by number: read by its layout.
    // clang-format off
    SDL_Joystick* pad = Plug(SDL_JOYSTICK_TYPE_UNKNOWN, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 1, "a:b2,b:b1,x:b0,y:b3,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,");
    // clang-format on
    SDL_Joystick* arcade = Plug(SDL_JOYSTICK_TYPE_ARCADE_STICK, 0, 4, 2); // has no layout
    CurrentSettings.bindings.push_back({{Device::Key, HatCode | SDL_HAT_UP}, Down}); // no hat
    enum Input { PadButton, PadAxis, PadHat, Arcade, ArcadeHat, Key, FocusLost, Gone, Unplug };
    const InputBits turns = RotateCcw | RotateCw | RotateCcw2, all = Up | Down | Left | Right;
    // clang-format off
    const std::tuple<const char*, Input, int, int, InputBits> steps[] = {
        {"south", PadButton, 2, 1, RotateCcw}, {"east", PadButton, 1, 1, RotateCcw | RotateCw},
        {"west", PadButton, 0, 1, turns}, {"north", PadButton, SDL_CONTROLLER_BUTTON_Y, 1, turns},
        {"its hat, outside its layout", PadHat, 0, SDL_HAT_UP, turns}, {"south let go", PadButton, 2, 0, RotateCw | RotateCcw2},
        {"the window left", FocusLost, 0, 0, 0}, {"D-pad up", PadButton, SDL_CONTROLLER_BUTTON_DPAD_UP, 1, Up},
        {"D-pad right", PadButton, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1, Up | Right}, {"D-pad down", PadButton, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1, Up | Right | Down},
        {"D-pad left", PadButton, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1, all}, {"S too", Key, SDLK_s, SDL_KEYDOWN, all},
        {"D-pad down let go, S holds", PadButton, SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0, all}, {"the window left again", FocusLost, 0, 0, 0},
        {"stick half right", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, 16384, 0}, {"stick beyond half right", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, 16385, Right},
        {"stick back to a quarter", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, 8192, Right}, {"stick below a quarter", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, 8191, 0},
        {"stick beyond half left", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, -16385, Left}, {"stick more up than left", PadAxis, SDL_CONTROLLER_AXIS_LEFTY, -24000, Up},
        {"stick more down than left", PadAxis, SDL_CONTROLLER_AXIS_LEFTY, 24000, Down}, {"stick as far left as down", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, -24000, Down},
        {"stick more left than down", PadAxis, SDL_CONTROLLER_AXIS_LEFTX, -30000, Left}, {"right stick, as the triggers", PadAxis, SDL_CONTROLLER_AXIS_RIGHTX, 32767, Left},
        {"and S", Key, SDLK_s, SDL_KEYDOWN, Left | Down}, {"S let go, the stick holds", Key, SDLK_s, SDL_KEYUP, Left},
        {"the window left with the stick pushed", FocusLost, 0, 0, 0}, {"the pad unplugged", Unplug, 0, 0, 0},
        {"hat up", ArcadeHat, 0, SDL_HAT_UP, Up}, {"hat right and down", ArcadeHat, 0, SDL_HAT_RIGHTDOWN, Right | Down},
        {"hat left", ArcadeHat, 0, SDL_HAT_LEFT, Left}, {"button 0", Arcade, 0, 1, Left | RotateCcw},
        {"button 1", Arcade, 1, 1, Left | RotateCcw | RotateCw}, {"button 2", Arcade, 2, 1, Left | turns},
        {"button 3", Arcade, 3, 1, Left | turns}, {"its second hat", ArcadeHat, 1, SDL_HAT_UP, Left | turns},
        {"hat centred", ArcadeHat, 0, SDL_HAT_CENTERED, turns}, {"the arcade stick said removed while held", Gone, 0, 0, 0},
        {"its buttons no longer count", Arcade, 3, 0, 0}, {"nor its hat", ArcadeHat, 0, SDL_HAT_UP, 0},
        {"the arcade stick unplugged", Unplug, 0, 0, 0},
    };
    // clang-format on
    for (const auto& [name, input, which, value, want] : steps) {
        if (input == Key || input == FocusLost) {
            Send(input == Key ? value : SDL_WINDOWEVENT, which, SDL_WINDOWEVENT_FOCUS_LOST);
        } else if (input == Gone) { // what the media library holds is not let go first
            SDL_Event removed{};
            // clang-format off
            std::tie(removed.type, removed.jdevice.which) = std::tuple(SDL_JOYDEVICEREMOVED, SDL_JoystickInstanceID(arcade));
            // clang-format on
            SDL_PushEvent(&removed);
        } else if (input == Unplug) { // the device plugged in first of those left
            SDL_JoystickDetachVirtual(0);
        } else if (input == PadAxis) {
            SDL_JoystickSetVirtualAxis(pad, which, Sint16(value));
        } else if (input == ArcadeHat || input == PadHat) {
            SDL_JoystickSetVirtualHat(input == PadHat ? pad : arcade, which, Uint8(value));
        } else {
            SDL_JoystickSetVirtualButton(input == PadButton ? pad : arcade, which, Uint8(value));
        }
        PumpEvents();
        EXPECT_EQ(HeldControls, want) << name;
    }
    // clang-format off
    EXPECT_EQ(SDL_GameControllerFromInstanceID(SDL_JoystickInstanceID(pad)), nullptr) << "the pad is closed as often as it was opened, once";
    // clang-format on
    const SDL_JoystickID arcadeId = SDL_JoystickInstanceID(arcade);
    SDL_JoystickClose(pad);
    SDL_JoystickClose(arcade);
    EXPECT_EQ(SDL_JoystickFromInstanceID(arcadeId), nullptr) << "the arcade stick is closed";
}

// Whether a new game has been asked for since the last look; the request is taken up here, as
// the timer thread would.
static bool NewGameAsked() {
    const bool asked = !RequestNewGame(0);
    GameState taken;
    StartRequestedGame(taken);
    return asked;
}

TEST(Shell, EnterOrStartAtGameOverAsksForANewGameF11SwitchesToFullscreenAndF2ChoosesKeys) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_Joystick* pad = Plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 0, SDL_CONTROLLER_BUTTON_MAX, 1);
    Paused = false; // as an earlier test's focus lost left it
    enum Input { Key, AltKey, Repeated, Button, Removed };
    // The phase on screen and what comes; then whether a new game is asked for, the window
    // switched and the game paused. A controller unplugged pauses, Start resumes.
    // clang-format off
    const std::tuple<const char*, Phase, Input, int, bool, bool, bool> rows[] = {
        {"Start at GAMEOVER", GAMEOVER, Button, SDL_CONTROLLER_BUTTON_START, true, false, false}, {"A at GAMEOVER", GAMEOVER, Button, SDL_CONTROLLER_BUTTON_A, false, false, false},
        {"Enter in play", ACTIVE, Key, SDLK_RETURN, false, false, false},                         {"a controller unplugged in play", ACTIVE, Removed, 0, false, false, true},
        {"Start in ARE", ARE, Button, SDL_CONTROLLER_BUTTON_START, false, false, false},           {"Alt+Enter at GAMEOVER", GAMEOVER, AltKey, SDLK_RETURN, false, true, false},
        {"F11 at GAMEOVER", GAMEOVER, Key, SDLK_F11, false, true, false},                         {"F11 held, repeating", GAMEOVER, Repeated, SDLK_F11, false, false, false},
        {"Alt+Space at GAMEOVER", GAMEOVER, AltKey, SDLK_SPACE, false, false, false},
    };
    // clang-format on
    for (const auto& [name, phase, input, key, asks, switches, pauses] : rows) {
        GameState frame;
        frame.phase = phase;
        PublishSnapshot(frame);
        RenderFrame();
        const Uint32 before = SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        if (input == Button) {
            SDL_JoystickSetVirtualButton(pad, key, 1);
            PumpEvents();
            SDL_JoystickSetVirtualButton(pad, key, 0);
        } else if (input == Removed) { // of no device open here
            SDL_Event removed{};
            removed.jdevice = {SDL_JOYDEVICEREMOVED, 0, -1};
            SDL_PushEvent(&removed);
        } else {
            SDL_SetModState(input == AltKey ? KMOD_LALT : KMOD_NONE);
            SDL_Event event{};
            event.type = SDL_KEYDOWN;
            event.key.windowID = SDL_GetWindowID(Window);
            event.key.repeat = input == Repeated;
            event.key.keysym = {SDL_GetScancodeFromKey(key), key, Uint16(SDL_GetModState()), 0};
            SDL_PushEvent(&event);
            Send(SDL_KEYUP, key);
            SDL_SetModState(KMOD_NONE);
        }
        PumpEvents();
        const Uint32 after = SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        // clang-format off
        EXPECT_EQ(std::tuple(NewGameAsked(), before != after, Paused), std::tuple(asks, switches, pauses)) << name;
        // clang-format on
        if (before != after) {
            Send(SDL_KEYDOWN, SDLK_F11);
            EXPECT_EQ(SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN, 0u) << "back in a window";
        }
    }
    EXPECT_TRUE(std::ifstream(ConfigFolder() + SettingsFileName)) << "F11 keeps the settings";
    // Started as the settings file left the window and the sound: fullscreen and silent, then
    // back to a window by F11 and to sound by M.
    for (const bool full : {false, true}) {
        std::ofstream(ConfigFolder() + SettingsFileName)
            << (full ? "[options]\nwindow = fullscreen\nsound = off\n" : "");
        StartWithSettings(Window);
        // clang-format off
        EXPECT_TRUE(((SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN) != 0) == full && SoundMuted == full);
        // clang-format on
    }
    Send(SDL_KEYDOWN, SDLK_F11);
    Send(SDL_KEYDOWN, SDLK_m);
    StartFirstGame("0"); // the ranking's places count from 1: a file of that name, not there
    EXPECT_TRUE(NewGameAsked()) << "--replay 0";
    // F2 there: the key screen takes a plain joystick's buttons and its first hat's four
    // directions as they are, and a pad's buttons through its layout alone (not its hat).
    SDL_Joystick* arcade = Plug(SDL_JOYSTICK_TYPE_ARCADE_STICK, 0, 4, 2);
    Send(SDL_KEYDOWN, SDLK_s);
    Send(SDL_KEYDOWN, SDLK_F2);
    EXPECT_FALSE(TakeForKeySettings(SDL_Event{SDL_KEYUP})) << "a key let go is no press";
    // clang-format off
    const std::tuple<SDL_Joystick*, int, int> hats[] = {{arcade, 1, SDL_HAT_UP}, {pad, 0, SDL_HAT_UP}, {arcade, 0, SDL_HAT_LEFT},
        {arcade, 0, SDL_HAT_RIGHTDOWN}, {arcade, 0, SDL_HAT_RIGHT}, {arcade, 0, SDL_HAT_DOWN}, {arcade, 0, SDL_HAT_UP}};
    // clang-format on
    for (const auto& [stick, hat, value] : hats) {
        SDL_JoystickSetVirtualHat(stick, hat, Uint8(value));
        PumpEvents();
    }
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, 1);
    PumpEvents();
    SDL_JoystickSetVirtualButton(arcade, 3, 1);
    PumpEvents();
    const std::string written = WriteSettings(CurrentSettings);
    // clang-format off
    EXPECT_NE(written.find("rotate_cw = y\nrotate_ccw2 = x\n\n[joystick]\nleft = hat left\nright = hat right\ndown = hat down\nrotate_ccw = hat up\nrotate_cw = button 1\nrotate_ccw2 = button 3\n"), std::string::npos) << written;
    // clang-format on
    EXPECT_EQ(HeldControls, 0u) << "what the old keys held is let go";
    SDL_JoystickClose(pad);
    SDL_JoystickClose(arcade);
    SDL_JoystickDetachVirtual(0);
    SDL_JoystickDetachVirtual(0);
    PumpEvents();
}

TEST(Shell, SomeWindowEventsRedrawTheBackBufferForTheMainLoopToPresent) {
    // clang-format off
    const std::pair<Uint8, bool> events[] = {{SDL_WINDOWEVENT_SHOWN, true}, {SDL_WINDOWEVENT_EXPOSED, true}, {SDL_WINDOWEVENT_MAXIMIZED, true},
                                             {SDL_WINDOWEVENT_RESTORED, true}, {SDL_WINDOWEVENT_MOVED, false}, {SDL_WINDOWEVENT_FOCUS_GAINED, false}};
    // clang-format on
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

TEST(Shell, TheWindowHasAnOpenGL33CoreContextWith24BitDepthTwoBuffersVsyncAndTheDesktopIdAsClass) {
    int major = 0, minor = 0, profile = 0, flags = 0, doubled = 0, depth = 0;
    // clang-format off
    for (auto [attribute, value] : {std::pair(SDL_GL_CONTEXT_MAJOR_VERSION, &major), {SDL_GL_CONTEXT_MINOR_VERSION, &minor}, {SDL_GL_CONTEXT_PROFILE_MASK, &profile},
                                    {SDL_GL_CONTEXT_FLAGS, &flags}, {SDL_GL_DOUBLEBUFFER, &doubled}, {SDL_GL_DEPTH_SIZE, &depth}}) {
        SDL_GL_GetAttribute(attribute, value);
    }
    EXPECT_EQ(std::tuple(major * 10 + minor, profile, flags, doubled, depth, SDL_GL_GetSwapInterval()), std::tuple(33, int(SDL_GL_CONTEXT_PROFILE_CORE), int(SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG), 1, 24, 1));
    // clang-format on
    // Its class, the desktop id, set as it opened unless the user gave one: X11's is read back
    // from the window end to end.
    EXPECT_STREQ(SDL_getenv("SDL_VIDEO_WAYLAND_WMCLASS"), "org.velmora.velmora");
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "mine", 1);
    NameTheWindowClass();
    EXPECT_STREQ(SDL_getenv("SDL_VIDEO_WAYLAND_WMCLASS"), "mine");
}

TEST(Shell, AResizeSetsTheViewportAndTheAspectAndCloseEndsTheRun) {
    // 1 / tan(22.5 degrees): the vertical scale of a 45-degree field of view.
    const float scale = 2.4142136f;
    // The GL here draws up to 16384 pixels either way, a larger window not at all. A window
    // without an area keeps the last projection.
    // clang-format off
    const std::tuple<int, int, float, bool> sizes[] = {
        {1280, 720, 16 / 9.0f, true}, {0, 0, 16 / 9.0f, true}, {300, 600, 0.5f, true}, {16384, 16384, 1, true}, {16385, 720, 16385 / 720.0f, false},
        {720, 16385, 720 / 16385.0f, false}, {0, 720, 720 / 16385.0f, true}, {720, 0, 720 / 16385.0f, true}, {1, 1, 1, true}, {960, 720, 4 / 3.0f, true}};
    // clang-format on
    for (const auto& [width, height, aspect, drawable] : sizes) {
        PictureWanted = false;
        Send(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_RESIZED, width, height);
        EXPECT_TRUE(PictureWanted) << "the main loop presents the new size";
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        // clang-format off
        EXPECT_EQ(std::tuple(viewport[2], viewport[3], WindowDrawable), std::tuple(std::min(width, 16384), std::min(height, 16384), drawable));
        // clang-format on
        EXPECT_NEAR(ProjectionMatrix[0][0], scale / aspect, 1e-4) << width << "x" << height;
        EXPECT_NEAR(ProjectionMatrix[1][1], scale, 1e-4);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    Send(SDL_WINDOWEVENT, 0, SDL_WINDOWEVENT_CLOSE);
    EXPECT_FALSE(Running);
    // A pass of the main loop with a quit queued: a tick that changes the picture is drawn, one
    // that changes nothing the picture shows is not; either is taken, and the loop remembers
    // whether its picture stood still.
    SDL_Event quit{SDL_QUIT};
    for (const bool shown : {true, false}) {
        GameState frame = DrawnFrame();
        // clang-format off
        std::tie(frame.score, frame.readyTimer) = std::tuple(frame.score + shown, frame.readyTimer + 1);
        PublishSnapshot(frame);
        Running = true;
        SDL_PushEvent(&quit);
        RunMainLoop();
        EXPECT_EQ(std::tuple(DrawnFrame() == frame, RedrawPending.load(), Running, MainLoop.stoodStill), std::tuple(shown, false, false, !shown));
        // clang-format on
    }
}

// The sound on SDL's dummy device, which plays to no card: its buffers of 480 frames of 16 bits
// (whatever format the environment would choose); M switches it on its press alone (the
// end-to-end test presses it), not as it repeats; the removal of the device the game plays on
// closes it, and the ticks go on without it, as they do when no device opens.
TEST(Shell, MSwitchesTheSoundAndARemovedDeviceLeavesTheGameSilent) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_setenv("SDL_AUDIO_FORMAT", "U8", 1);
    static std::atomic<int> asked{0};
    // clang-format off
    StartSound([](void*, Uint8* stream, int length) { FillAudio(nullptr, stream, asked = length); });
    const SDL_AudioDeviceID device = SoundDevice;
    ASSERT_NE(device, 0u);
    while (asked == 0) SDL_Delay(1); // the device's first buffer
    // clang-format on
    EXPECT_EQ(asked, 960);
    // A press of M switches the sound; its release, its repeats as it is held and N do not.
    SoundMuted = false;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); // an earlier poll's end, where a poll stops
    // clang-format off
    for (const auto& [key, type, repeat, muted] : {std::tuple(SDLK_m, SDL_KEYDOWN, 0, true), {SDLK_m, SDL_KEYUP, 0, true}, {SDLK_m, SDL_KEYDOWN, 1, true}, {SDLK_n, SDL_KEYDOWN, 0, true}, {SDLK_m, SDL_KEYDOWN, 0, false}}) {
        SDL_Event press{};
        press.key = {Uint32(type), 0, 0, Uint8(type == SDL_KEYDOWN), Uint8(repeat), 0, 0, {SDL_GetScancodeFromKey(key), key, 0, 0}};
        SDL_PushEvent(&press);
        PumpEvents();
        EXPECT_EQ(SoundMuted, muted) << key << " " << type << " " << repeat;
    }
    // clang-format on
    // Paused, the device leaves its callback to the test: a lock's click, cut off by M for good.
    SDL_PauseAudioDevice(device, 1);
    const auto heard = [](std::array<std::int16_t, 480> buffer = {}) {
        FillAudio(nullptr, reinterpret_cast<Uint8*>(buffer.data()), sizeof buffer);
        return std::any_of(buffer.begin(), buffer.end(), [](int sample) { return sample != 0; });
    };
    PushCue(PendingCues, Cue::Lock);
    EXPECT_TRUE(heard());
    SoundMuted = true;
    EXPECT_FALSE(heard()) << "M cuts it off";
    SoundMuted = false;
    EXPECT_FALSE(heard()) << "for good";
    SDL_PauseAudioDevice(device, 0);
    // clang-format off
    const std::tuple<const char*, SDL_AudioDeviceID, Uint8, bool> removals[] = {{"another device", device + 1, 0, true}, {"a capture device of the game's number", device, 1, true}, {"the game's device", device, 0, false}};
    // clang-format on
    for (const auto& [name, which, capture, open] : removals) {
        SDL_Event event{};
        event.adevice = {SDL_AUDIODEVICEREMOVED, 0, which, capture, 0, 0, 0};
        SDL_PushEvent(&event);
        testing::internal::CaptureStderr();
        PumpEvents();
        // clang-format off
        EXPECT_EQ(std::tuple(SDL_GetAudioDeviceStatus(device), SoundDevice, testing::internal::GetCapturedStderr()), std::tuple(open ? SDL_AUDIO_PLAYING : SDL_AUDIO_STOPPED, open ? device : 0u, open ? "" : "Audio device removed: the game goes on silent\n")) << name;
        // clang-format on
    }
    // Nowhere to play: the disk driver's file cannot be made. The game goes on silent.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_setenv("SDL_AUDIODRIVER", "disk", 1);
    SDL_setenv("SDL_DISKAUDIOFILE", "/nonexistent/velmora", 1);
    testing::internal::CaptureStderr();
    StartSound();
    // clang-format off
    EXPECT_EQ(std::tuple(SoundDevice, SDL_WasInit(SDL_INIT_AUDIO), testing::internal::GetCapturedStderr().rfind("Unable to open audio: ", 0)), std::tuple(0u, 0u, 0u));
    // clang-format on
}

TEST(Shell, TheFirstOptionThatEndsTheCommandLineDecidesAndAnOptionWithoutItsFileIsIgnored) {
    // The arguments, the program's name first; the action, the replay and the file verified.
    // clang-format off
    const std::tuple<std::vector<const char*>, Action, const char*, const char*> cases[] = {
        {{"--version", "--help"}, Action::Help, "", ""}, {{"v", "--replay", "3", "-h", "--version"}, Action::Help, "3", ""},
        {{"v", "x", "--version", "--help"}, Action::Version, "", ""}, {{"v", "--replay", "a", "--verify", "f", "--help"}, Action::Verify, "a", "f"},
        {{"v", "--replay", "a", "--replay", "b", "--verify"}, Action::Play, "b", ""}, {{"v", "--replay"}, Action::Play, "", ""},
    };
    // clang-format on
    for (const auto& [arguments, action, replay, verify] : cases) {
        const CommandLine command = ReadCommandLine(int(arguments.size()), arguments.data());
        // clang-format off
        EXPECT_EQ(std::tie(command.action, command.replay, command.verify), std::make_tuple(action, std::string(replay), std::string(verify))) << arguments.size();
        // clang-format on
    }
}

// A logic timer that cannot start says why: here the media library has no memory to give it.
TEST(Shell, ALogicTimerThatCannotStartSaysWhy) {
    // clang-format off
    SDL_malloc_func take = nullptr; SDL_calloc_func clear = nullptr; SDL_realloc_func resize = nullptr; SDL_free_func give = nullptr;
    // clang-format on
    SDL_GetMemoryFunctions(&take, &clear, &resize, &give);
    SDL_SetMemoryFunctions([](std::size_t) -> void* { return nullptr; }, clear, resize, give);
    testing::internal::CaptureStderr();
    StartLogicTimer();
    SDL_SetMemoryFunctions(take, clear, resize, give);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unable to start the logic timer: Out of memory\n");
}

TEST(Shell, AStartThatFailsOrAnOptionThatEndsAtOnceSaysWhatItShouldAndEndsWithItsStatus) {
    const std::string outputs = testing::TempDir() + "velmora_start";
    // The environment, the options, the status, and the stream and the start of a line it holds.
    // Without a display the media library would draw off screen; its dummy driver has no GL; a GL
    // of version 3.2 makes no context of 3.3, and GLEW then finds no GL.
    // clang-format off
    const std::tuple<const char*, const char*, int, const char*, std::string> starts[] = {
        {"SDL_VIDEODRIVER=nonexistent", "", 1, "out", "Unable to initialize SDL: "}, {"-u DISPLAY -u WAYLAND_DISPLAY", "", 1, "out", "Unable to initialize SDL: no display to show the game on\n"},
        {"SDL_VIDEODRIVER=dummy", "", 1, "out", "Unable to create window: "},        {"MESA_GL_VERSION_OVERRIDE=3.2", "", 1, "err", "Error: Missing GL version\n"},
        {"", "--help", 0, "out", "Usage: velmora "}, {"", "--version", 0, "out", "velmora 1."}, {"", "--verify none", 2, "out", "none: cannot be read: No such file or directory"},
    };
    // clang-format on
    for (const auto& [environment, options, want, stream, text] : starts) {
        // clang-format off
        const int status = std::system(("env " + std::string(environment) + " " VELMORA_PROGRAM " " + options + " >" + outputs + ".out 2>" + outputs + ".err").c_str());
        EXPECT_EQ(WEXITSTATUS(status), want) << environment << options;
        std::ifstream output(outputs + "." + stream);
        const std::string said(std::istreambuf_iterator<char>(output), {});
        EXPECT_NE(("\n" + said).find("\n" + text), std::string::npos) << environment << options << ": " << said;
        // clang-format on
    }
}

// Where the settings file and the data folder are looked for, and what loading and saving the
// settings say when the file is not ours or cannot be kept: the defaults hold, and a file with
// lines that could not be used is set aside the first time the settings are saved, not again.
TEST(Shell, ThePlayersFoldersAreWhereTheEnvironmentSaysAndASettingsFileNotOursIsSetAsideOnce) {
    namespace fs = std::filesystem;
    const std::string dir = testing::TempDir() + "settings/", config = ConfigFolder();
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const std::string data = std::getenv("VELMORA_DATA_DIR");
    const auto put = [&](const char* name, const char* value) {
        value == nullptr ? unsetenv(name) : setenv(name, *value ? (dir + value).c_str() : "", 1);
    };
    unsetenv("XDG_DATA_HOME");
    // VELMORA_CONFIG_DIR, XDG_CONFIG_HOME, HOME and VELMORA_DATA_DIR in the test's folder (null:
    // unset), the settings file there (a folder when it ends in '/') and its text; what loading
    // the settings and finding the data folder say, the data folder, what each of two savings
    // say, and whether the file was set aside.
    const std::string full(65536, '#'), user = dir + "h/.local/share/velmora/";
    // A folder so deep that the settings file's path leaves no room for ".bad" below 4096 bytes.
    std::string deep(4081 - dir.size(), 'd');
    // clang-format off
    for (std::size_t slash = 199; slash < deep.size(); slash += 200) deep[slash] = '/';
    const std::tuple<const char*, const char*, const char*, const char*, std::string, std::string, std::string, std::string, std::string, bool> rows[] = {
        {nullptr, "x", "h", nullptr, "x/velmora/settings.ini", "bogus\n", "velmora: " + dir + "x/velmora/settings.ini: line 1: expected NAME = VALUE; the line is skipped\n", user, "", true},
        {nullptr, "", "h", "", "h/.config/velmora/settings.ini", full + "\n", "velmora: " + dir + "h/.config/velmora/settings.ini: larger than 64 KB; the default settings hold\n", user, "", true},
        {"d", nullptr, "h", nullptr, "d/settings.ini/", "", "velmora: " + dir + "d/settings.ini: cannot be read (Is a directory); the default settings hold\n", user, "velmora: " + dir + "d/settings.ini: Is a directory: the settings are not kept\n", false},
        {"f/g", nullptr, "h", "f/g", "f", "", "velmora: " + dir + "f/g/: Not a directory: no game will be kept\n", "", "velmora: " + dir + "f/g/: Not a directory: the settings are not kept\n", false}, {"c", nullptr, "h", nullptr, "c", "", "", user, "velmora: " + dir + "c/: File exists: the settings are not kept\n", false}, {"a\\", nullptr, "h", "a\\", "a\\/settings.ini", full, "", dir + "a\\/", "", false},
        {deep.c_str(), nullptr, "h", nullptr, deep + "/settings.ini", "bogus\n", "velmora: " + dir + deep + "/settings.ini: line 1: expected NAME = VALUE; the line is skipped\n", user, "velmora: " + dir + deep + "/settings.ini: could not be set aside: the settings are not kept\n", false},
        {nullptr, nullptr, nullptr, nullptr, "", "", "velmora: no folder for the player's data (neither XDG_DATA_HOME nor HOME environment is set): no game will be kept\n", "", "velmora: no folder for the player's settings: they are not kept\n", false},
    };
    // clang-format on
    for (const auto& [folder, xdg, homeFolder, dataFolder, file, text, load, found, save, aside] :
         rows) {
        fs::remove_all(dir);
        fs::create_directories(fs::path(dir + file).parent_path());
        if (!file.empty() && file.back() != '/') {
            std::ofstream(dir + file) << text;
        }
        put("VELMORA_CONFIG_DIR", folder);
        put("XDG_CONFIG_HOME", xdg);
        put("HOME", homeFolder);
        put("VELMORA_DATA_DIR", dataFolder);
        testing::internal::CaptureStderr();
        LoadSettings();
        EXPECT_EQ(FindDataFolder(), found) << file;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), load) << file;
        testing::internal::CaptureStderr();
        SaveSettings();
        SaveSettings();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), save + save) << file;
        std::error_code tooLong;
        EXPECT_EQ(fs::exists(dir + file + ".bad", tooLong), aside) << file;
        EXPECT_FALSE(fs::exists(dir + file + ".2.bad", tooLong)) << file;
    }
    setenv("VELMORA_CONFIG_DIR", config.c_str(), 1);
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    CurrentSettings = DefaultSettings();
}

// A game played to its end is written as a replay and entered in the ranking under the lock,
// once; when a folder stands in the place of the lock or of the ranking, the ranking on screen
// stays and it says why; with no folder to keep it in, it is shown for the run, and so it is with
// a word when the data folder has gone since start-up. A game of the ranking is played back by its
// place.
TEST(Shell, AFinishedGameIsKeptInTheRankingOrSaysWhyNot) {
    const std::string data = std::getenv("VELMORA_DATA_DIR"), dir = testing::TempDir() + "records/";
    // The data folder, a file there made a folder; whether the ranking on screen changed (the
    // game marked first), what is said, and whether the ranking file is written.
    // clang-format off
    const std::tuple<std::string, std::string, bool, std::string, bool> rows[] = {
        {"/proc/self/", "", true, "", false}, {dir, "ranking.lock", false, "velmora: " + dir + "ranking.lock: Is a directory: the ranking is not changed\n", false},
        {dir, "ranking.txt", false, "velmora: " + dir + "ranking.txt: Is a directory: the ranking is not changed\n", false},
        {dir + "f/", "f", true, "velmora: " + dir + "f/replay-.*: No such file or directory: the game is not kept\n", false}, {dir, "", true, "", true}};
    // clang-format on
    for (const auto& [folder, blocked, changed, said, kept] : rows) {
        std::filesystem::remove_all(dir);
        setenv("VELMORA_DATA_DIR", folder.c_str(), 1);
        OpenRecords();
        if (!blocked.empty()) {
            std::filesystem::remove_all(dir + blocked);
        }
        if (!blocked.empty() && blocked != "f") { // else the data folder itself is gone
            std::filesystem::create_directory(dir + blocked);
        }
        RequestNewGame(1);
        HeldControls = Down;
        for (StepLiveGame(); LiveGame.phase != GAMEOVER; StepLiveGame()) {
        }
        testing::internal::CaptureStderr();
        EXPECT_EQ(KeepFinishedGame(), changed) << folder << blocked;
        EXPECT_FALSE(KeepFinishedGame()) << "each game once";
        EXPECT_EQ(ShownRanking.marked, changed ? 0 : -1) << folder << blocked;
        const std::string heard = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_match(heard, std::regex(said))) << heard;
        EXPECT_EQ(std::filesystem::is_regular_file(dir + "ranking.txt"), kept) << folder;
    }
    // The game kept last, of seed 1, is the ranking's only one: --replay 1 plays it back; the place
    // after it, a file that is not there, one that is no replay and one dealt elsewhere start a new
    // game.
    EXPECT_NE(ShownRanking.entries.at(0).replayFile.find("-00000001.txt"), std::string::npos);
    std::ifstream kept(dir + ShownRanking.entries.at(0).replayFile);
    std::string other(std::istreambuf_iterator<char>(kept), {});
    std::ofstream(dir + "other") << other.replace(other.find("glibc"), 5, "other");
    const std::string start = "; a new game starts\n";
    // clang-format off
    const std::pair<std::string, std::string> replays[] = {{"1", ""}, {"2", "velmora: the ranking holds no game 2" + start},
        {"none", "velmora: none: No such file or directory" + start}, {dir + "ranking.txt", "velmora: " + dir + "ranking.txt: line 1: not a Velmora replay" + start},
        {dir + "other", "velmora: " + dir + "other: dealt by other's rand, which this program has not" + start}};
    // clang-format on
    for (const auto& [replay, said] : replays) {
        testing::internal::CaptureStderr();
        StartFirstGame(replay);
        EXPECT_FALSE(RequestNewGame(2)) << replay << ": a game is asked for already";
        StepLiveGame();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), said);
    }
    HeldControls = 0;
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
}
