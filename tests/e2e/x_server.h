// A private X server (Xvfb) for one test, and what a player does with a window on it: find it,
// look at it, type into it, resize it and close it. Keys go through the XTest extension, so the
// program receives them exactly as it would from a keyboard. Xlib's macros (None, Bool, ...)
// stay out of this header, where they would clash with GoogleTest's names.
#pragma once

#include "child_process.h"
#include "screen_reader.h"

#include <chrono>
#include <memory>
#include <string>

struct _XDisplay;

using WindowId = unsigned long; // an X window id; 0 is no window
constexpr WindowId NoWindow = 0;

struct WindowSize {
    int width = 0;
    int height = 0;
};

class XServer {
  public:
    XServer(); // returns once the server answers
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& name() const { return name_; } // ":N", for DISPLAY

    // The first window in the tree whose WM_NAME or _NET_WM_NAME is the title, or NoWindow.
    WindowId findWindow(const std::string& title) const;
    // 0 by 0 when the window does not exist (any more).
    WindowSize sizeOf(WindowId window) const;
    bool isMapped(WindowId window) const;
    // The window's pixels as the screen shows them; an empty picture when the window is gone.
    Picture takePicture(WindowId window);

    void focus(WindowId window) const;
    // Keysym names as in X11/keysymdef.h without the XK_ prefix: "d", "Escape", "Left".
    void pressKey(const std::string& keysymName) const;
    void releaseKey(const std::string& keysymName) const;
    void resize(WindowId window, int width, int height) const;
    // What a window manager's close button sends: WM_PROTOCOLS with WM_DELETE_WINDOW.
    void requestClose(WindowId window) const;

  private:
    struct SharedImage;

    std::unique_ptr<ChildProcess> process_;
    std::string name_;
    _XDisplay* display_ = nullptr;
    // Pictures come through shared memory: a screenful through the socket takes several times
    // as long, and the tests time some of their readings.
    std::unique_ptr<SharedImage> shared_;
};
