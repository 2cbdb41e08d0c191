#include "x_server.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// The default handler ends the process on any error; a window that has just been destroyed
// (the game has quit) is an expected condition here, which callers see as empty results.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') {
        number += c;
    }
    return number;
}

std::string NameOf(Display* display, Window window) {
    std::string name;
    char* fetched = nullptr;
    if (XFetchName(display, window, &fetched) && fetched != nullptr) {
        name = fetched;
        XFree(fetched);
    }
    if (!name.empty()) {
        return name;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr) {
        if (format == 8) {
            name.assign(reinterpret_cast<char*>(data), count);
        }
        XFree(data);
    }
    return name;
}

Window FindBelow(Display* display, Window parent, const std::string& title) {
    if (NameOf(display, parent) == title) {
        return parent;
    }
    Window root = None;
    Window ignored = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &ignored, &children, &count)) {
        return None;
    }
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        found = FindBelow(display, children[i], title);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

KeyCode CodeOf(Display* display, const std::string& keysymName) {
    const KeySym symbol = XStringToKeysym(keysymName.c_str());
    const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display, symbol);
    if (code == 0) {
        throw std::runtime_error("no key for " + keysymName);
    }
    return code;
}

int ChannelOf(unsigned long pixel, unsigned long mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    const unsigned long maximum = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / maximum);
}

} // namespace

struct XServer::SharedImage {
    XShmSegmentInfo segment{};
    XImage* image = nullptr;

    SharedImage(Display* display, int width, int height) {
        const int screen = DefaultScreen(display);
        image =
            XShmCreateImage(display, DefaultVisual(display, screen),
                            static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr,
                            &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (image == nullptr) {
            throw std::runtime_error("no shared-memory image");
        }
        segment.shmid =
            shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * image->height,
                   IPC_CREAT | 0600);
        segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        // Marked for removal at once: it goes away with the last detach, even after a crash.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        if (segment.shmaddr == reinterpret_cast<char*>(-1) || !XShmAttach(display, &segment)) {
            throw std::runtime_error("cannot share memory with the X server");
        }
        XSync(display, False);
    }

    void release(Display* display) {
        XShmDetach(display, &segment);
        XSync(display, False);
        image->data = nullptr;
        XDestroyImage(image);
        shmdt(segment.shmaddr);
    }
};

XServer::XServer() {
    int ends[2] = {-1, -1};
    if (pipe(ends) != 0) {
        throw std::runtime_error("pipe failed");
    }
    ChildOptions options;
    options.passFd = ends[1];
    // -displayfd lets the server take the first free display number and say which it took once
    // it accepts connections; -br gives a black root like the program's clear colour.
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", "1920x1200x24",
                                 "-nolisten", "tcp", "-br", "-noreset"},
        options);
    close(ends[1]);
    const std::string number = ReadDisplayNumber(ends[0]);
    close(ends[0]);
    if (number.empty()) {
        throw std::runtime_error("Xvfb did not start");
    }
    name_ = ":" + number;
    XSetErrorHandler(IgnoreXError);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((display_ = XOpenDisplay(name_.c_str())) == nullptr) {
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("Xvfb " + name_ + " does not answer");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
        throw std::runtime_error("Xvfb has no XTest");
    }
    if (!XShmQueryExtension(display_)) {
        throw std::runtime_error("Xvfb has no MIT-SHM");
    }
}

XServer::~XServer() {
    if (shared_) {
        shared_->release(display_);
    }
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
    process_->signal(SIGTERM);
    if (!process_->waitForExit(std::chrono::seconds(5))) {
        process_->signal(SIGKILL);
        process_->waitForExit(std::chrono::seconds(5));
    }
}

WindowId XServer::findWindow(const std::string& title) const {
    return FindBelow(display_, DefaultRootWindow(display_), title);
}

WindowSize XServer::sizeOf(WindowId window) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) {
        return {};
    }
    return {attributes.width, attributes.height};
}

bool XServer::isMapped(WindowId window) const {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
}

Picture XServer::takePicture(WindowId window) {
    const WindowSize size = sizeOf(window);
    if (size.width == 0 || size.height == 0) {
        return {};
    }
    if (shared_ && (shared_->image->width != size.width || shared_->image->height != size.height)) {
        shared_->release(display_);
        shared_.reset();
    }
    if (!shared_) {
        shared_ = std::make_unique<SharedImage>(display_, size.width, size.height);
    }
    XImage* image = shared_->image;
    if (!XShmGetImage(display_, window, image, 0, 0, AllPlanes)) {
        return {};
    }
    Picture picture;
    picture.width = image->width;
    picture.height = image->height;
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    const bool plain32 = image->bits_per_pixel == 32 && image->red_mask == 0xff0000 &&
                         image->green_mask == 0xff00 && image->blue_mask == 0xff &&
                         image->byte_order == LSBFirst;
    std::uint8_t* out = picture.rgb.data();
    for (int y = 0; y < picture.height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint8_t*>(image->data) + y * image->bytes_per_line;
        for (int x = 0; x < picture.width; ++x, out += 3) {
            if (plain32) {
                out[0] = row[x * 4 + 2];
                out[1] = row[x * 4 + 1];
                out[2] = row[x * 4];
            } else {
                const unsigned long pixel = XGetPixel(image, x, y);
                out[0] = static_cast<std::uint8_t>(ChannelOf(pixel, image->red_mask));
                out[1] = static_cast<std::uint8_t>(ChannelOf(pixel, image->green_mask));
                out[2] = static_cast<std::uint8_t>(ChannelOf(pixel, image->blue_mask));
            }
        }
    }
    return picture;
}

void XServer::focus(WindowId window) const {
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XSync(display_, False);
}

void XServer::pressKey(const std::string& keysymName) const {
    XTestFakeKeyEvent(display_, CodeOf(display_, keysymName), True, CurrentTime);
    XSync(display_, False);
}

void XServer::releaseKey(const std::string& keysymName) const {
    XTestFakeKeyEvent(display_, CodeOf(display_, keysymName), False, CurrentTime);
    XSync(display_, False);
}

void XServer::resize(WindowId window, int width, int height) const {
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

void XServer::requestClose(WindowId window) const {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}
