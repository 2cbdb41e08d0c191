// A second connection to a test's X server for what a player never does: requests sent by the
// hundred without waiting for each, and the errors the server answers them with kept for the
// test to look at rather than ignored. Xlib's macros stay out of this header, as in x_server.h.
#pragma once

#include "x_server.h"

#include <string>
#include <vector>

struct XRequestError {
    int errorCode = 0;   // BadValue is 2
    int requestCode = 0; // ConfigureWindow is 12
};

class XStormClient {
  public:
    explicit XStormClient(const std::string& displayName);
    ~XStormClient();
    XStormClient(const XStormClient&) = delete;
    XStormClient& operator=(const XStormClient&) = delete;

    // The key code of a keysym name as in X11/keysymdef.h without the XK_ prefix.
    unsigned keyCode(const std::string& keysymName) const;

    // These only queue the request; flush() or sync() sends it.
    void resize(WindowId window, unsigned width, unsigned height);
    void key(unsigned code, bool down);

    void flush();
    // Sends what is queued and waits until the server has handled it all; the errors it answered
    // since the last sync, in order.
    std::vector<XRequestError> sync();

  private:
    _XDisplay* display_ = nullptr;
};

constexpr int XBadValue = 2;
constexpr int XConfigureWindowRequest = 12;
