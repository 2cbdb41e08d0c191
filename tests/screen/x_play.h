// The real program as a player meets it, on the X server of $DISPLAY (tests/private-x.sh gives
// each test program a server of its own): keys typed through XTest, its picture read back from
// the server, its close button pressed. Xlib's macros (None, Bool) clash with GoogleTest's
// names: include this after gtest.h.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "screen.h"

using namespace std::chrono_literals;

inline std::string FileText(const std::string& path) {
    return {std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}};
}

struct XPlay {
    Display* x = XOpenDisplay(nullptr);
    std::string outputs = "/tmp/velmora-" + std::to_string(getpid()); // + ".out" and ".err"
    std::shared_future<int> end;                                      // the program's wait status
    Window window = 0; // once the program has shown it
    Picture last;

    // Starts the command in the folder, with the arguments if any. It takes the shell's place,
    // and dies with the thread that waits for it.
    XPlay(const std::string& command, const std::string& folder,
          const std::string& arguments = "") {
        XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask); // to hear of the window
        // clang-format off
        const std::string line = "cd '" + folder + "' && exec setpriv --pdeathsig KILL '" + command + "' " + arguments + " >" + outputs + ".out 2>" + outputs + ".err";
        // clang-format on
        end = std::async(std::launch::async, [line] { return std::system(line.c_str()); });
    }
    ~XPlay() {
        if (window && !ended(0s)) { // a test that stopped half-way
            XKillClient(x, window);
        }
        XCloseDisplay(x);
        end.wait();
        std::remove((outputs + ".out").c_str());
        std::remove((outputs + ".err").c_str());
    }

    Picture picture() { // black until the program's window is shown
        for (XEvent event; !window && XCheckTypedEvent(x, MapNotify, &event);) {
            // Not a pop-up, such as the one-pixel helper windows that Wine shows for a moment.
            if (!event.xmap.override_redirect) {
                XSetInputFocus(x, window = event.xmap.window, RevertToParent, CurrentTime);
            }
        }
        XWindowAttributes size{};
        if (!window || !XGetWindowAttributes(x, window, &size)) {
            return {1, 1, {0}};
        }
        // The server's 24-bit screen holds a pixel as 0xRRGGBB in 32 bits.
        XImage* image = XGetImage(x, window, 0, 0, size.width, size.height, ~0UL, ZPixmap);
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(image->data);
        Picture picture{size.width, size.height, {pixels, pixels + size.width * size.height}};
        XDestroyImage(image);
        return picture;
    }
    // Looks until a picture meets the condition, keeping the last one seen; whether one did.
    bool waitFor(const std::function<bool(Picture&)>& condition, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition(last = picture()) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms); // looking without a break takes a core from the game
        }
        return condition(last);
    }
    void key(const char* keysym, bool down) const { // X keysym names: "d", "s"
        XTestFakeKeyEvent(x, XKeysymToKeycode(x, XStringToKeysym(keysym)), down, CurrentTime);
        XSync(x, False);
    }
    void tap(const char* keysym) const { key(keysym, true), key(keysym, false); }
    void close() const { // as a window manager's close button: WM_DELETE_WINDOW
        const Atom protocols = XInternAtom(x, "WM_PROTOCOLS", False);
        XEvent event{};
        event.xclient = {ClientMessage, 0, True, x, window, protocols, 32, {}};
        event.xclient.data.l[0] = XInternAtom(x, "WM_DELETE_WINDOW", False);
        XSendEvent(x, window, False, NoEventMask, &event);
        XSync(x, False);
    }
    // The program's wait status (0: it exited with status 0) once it has ended within the time.
    std::optional<int> ended(std::chrono::milliseconds limit) const {
        return end.wait_for(limit) == std::future_status::ready ? std::optional(end.get())
                                                                : std::nullopt;
    }
    // Whether the program, closed, exits with status 0 within the time.
    bool closes(std::chrono::milliseconds limit) const { return close(), ended(limit) == 0; }
    std::string output(const char* stream) const { return FileText(outputs + stream); }
};

// Whether the piece that a preview showed stands with its box's top left in the column, at any
// row down to 10 as it falls.
inline bool PieceIn(const Picture& picture, const std::string& preview, int column) {
    for (int row = 0; row <= 10; ++row) {
        if (ReadCells(picture, column - 5.0f, 10.0f - row, 4, 2) == preview) {
            return true;
        }
    }
    return false;
}
