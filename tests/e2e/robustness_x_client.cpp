#include "robustness_x_client.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <map>
#include <mutex>
#include <stdexcept>

namespace {

// Xlib has one error handler for the whole process. Errors on our connections are kept for
// their owner; the rest go to whatever handler was there before.
std::mutex ErrorsLock;
std::map<Display*, std::vector<XRequestError>> ErrorsOf;
XErrorHandler Previous = nullptr;

int KeepOrPass(Display* display, XErrorEvent* error) {
    {
        std::lock_guard<std::mutex> guard(ErrorsLock);
        const auto found = ErrorsOf.find(display);
        if (found != ErrorsOf.end()) {
            found->second.push_back({error->error_code, error->request_code});
            return 0;
        }
    }
    return Previous != nullptr ? Previous(display, error) : 0;
}

} // namespace

XStormClient::XStormClient(const std::string& displayName) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open " + displayName);
    }
    std::lock_guard<std::mutex> guard(ErrorsLock);
    ErrorsOf[display_] = {};
    const XErrorHandler current = XSetErrorHandler(KeepOrPass);
    if (current != KeepOrPass) {
        Previous = current;
    }
}

XStormClient::~XStormClient() {
    XSync(display_, False);
    {
        std::lock_guard<std::mutex> guard(ErrorsLock);
        ErrorsOf.erase(display_);
    }
    XCloseDisplay(display_);
}

unsigned XStormClient::keyCode(const std::string& keysymName) const {
    const KeySym symbol = XStringToKeysym(keysymName.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display_, symbol);
    if (code == 0) {
        throw std::runtime_error("no key for " + keysymName);
    }
    return code;
}

void XStormClient::resize(WindowId window, unsigned width, unsigned height) {
    XResizeWindow(display_, window, width, height);
}

void XStormClient::key(unsigned code, bool down) {
    XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
}

void XStormClient::flush() {
    XFlush(display_);
}

std::vector<XRequestError> XStormClient::sync() {
    XSync(display_, False);
    std::lock_guard<std::mutex> guard(ErrorsLock);
    std::vector<XRequestError> errors;
    errors.swap(ErrorsOf[display_]);
    return errors;
}
