// The real program as a player meets it, in an X server of its own (Xvfb): keys typed through
// XTest, its picture read back from the server, its close button pressed. Both processes die with
// the thread that started them. Xlib's macros (None, Bool) clash with GoogleTest's names: include
// this after gtest.h.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "screen.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs a shell command line that prints the shell's process id and then hands that process to
// the command with exec; the stream the line prints on, and the process id.
inline std::FILE* Start(const std::string& line, pid_t& process) {
    std::FILE* printed = popen(("echo $$; " + line).c_str(), "r");
    return printed && std::fscanf(printed, "%d", &process) == 1 ? printed : nullptr;
}

// The exit status (128 + the signal for a killed process), once it has ended within the time.
inline std::optional<int> WaitForExit(pid_t process, std::chrono::milliseconds limit) {
    int status = 0;
    for (const auto deadline = Clock::now() + limit; waitpid(process, &status, WNOHANG) == 0;) {
        if (Clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(2ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct XPlay {
    pid_t server = 0, program = 0;
    std::FILE *serverOutput = nullptr, *programOutput = nullptr;
    std::string display = ":", outputs; // outputs + ".out" and ".err": the program's streams
    Display* connection = nullptr;
    Window window = 0;
    std::optional<int> status;        // the program's, once it has ended
    Clock::time_point started, shown; // the program's start, and its window's
    Picture last;

    // Starts the server, then the command in the folder; returns once its window is on screen.
    XPlay(const std::string& command, const std::string& folder) {
        // The server names the free display it took once it takes clients. Without -noreset it
        // would reset when its last client leaves, and hang up on one arriving meanwhile.
        serverOutput = Start("exec setpriv --pdeathsig KILL Xvfb -displayfd 1 -screen 0 "
                             "1920x1200x24 -nolisten tcp -noreset 2>/dev/null",
                             server);
        for (int c = 0; serverOutput && (c = std::fgetc(serverOutput)) > ' ';) {
            display += static_cast<char>(c);
        }
        // A window that has gone is no reason to end the test: its picture comes back empty.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (display == ":" || !(connection = XOpenDisplay(display.c_str()))) {
            throw std::runtime_error("Xvfb did not start");
        }
        XSelectInput(connection, DefaultRootWindow(connection), SubstructureNotifyMask);
        outputs = "/tmp/velmora-x" + display.substr(1);
        started = Clock::now();
        programOutput =
            Start("cd '" + folder + "' && DISPLAY=" + display + " exec setpriv --pdeathsig KILL '" +
                      command + "' >" + outputs + ".out 2>" + outputs + ".err",
                  program);
        XEvent event{};
        while (event.type != MapNotify) { // the one window on this server being shown
            if (XPending(connection)) {
                XNextEvent(connection, &event);
            } else if (exitStatus(2ms) || Clock::now() > started + 30s) {
                throw std::runtime_error("the program shows no window");
            }
        }
        window = event.xmap.window;
        shown = Clock::now();
        XSetInputFocus(connection, window, RevertToParent, CurrentTime);
    }
    ~XPlay() {
        if (!exitStatus(0ms)) {
            kill(program, SIGKILL);
            exitStatus(10s);
        }
        XCloseDisplay(connection);
        kill(server, SIGTERM);
        pclose(serverOutput);
        pclose(programOutput);
        std::remove((outputs + ".out").c_str());
        std::remove((outputs + ".err").c_str());
    }

    Picture picture() const { // empty once the window has gone
        XWindowAttributes size{};
        XGetWindowAttributes(connection, window, &size);
        XImage* image =
            XGetImage(connection, window, 0, 0, size.width, size.height, AllPlanes, ZPixmap);
        Picture picture{image ? size.width : 0, image ? size.height : 0, {}};
        for (int pixel = 0; pixel < picture.width * picture.height; ++pixel) {
            const unsigned long rgb = XGetPixel(image, pixel % size.width, pixel / size.width);
            for (int shift : {16, 8, 0}) {
                picture.rgb.push_back(static_cast<unsigned char>(rgb >> shift));
            }
        }
        if (image) {
            XDestroyImage(image);
        }
        return picture;
    }
    // Looks until a picture meets the condition, keeping the last one seen; whether one did.
    template <class Condition>
    bool waitFor(Condition condition, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (!condition(last = picture()) && Clock::now() < deadline) {
            // Looking without a break would take a core from the program being watched.
            std::this_thread::sleep_for(5ms);
        }
        return condition(last);
    }
    void key(const char* keysym, bool down) const { // X keysym names: "d", "s"
        const KeyCode code = XKeysymToKeycode(connection, XStringToKeysym(keysym));
        XTestFakeKeyEvent(connection, code, down, CurrentTime);
        XSync(connection, False);
    }
    void close() const { // as a window manager's close button: WM_DELETE_WINDOW
        XEvent event{};
        event.xclient = {ClientMessage, 0, True, connection, window, 0, 32, {}};
        event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
        event.xclient.data.l[0] = XInternAtom(connection, "WM_DELETE_WINDOW", False);
        XSendEvent(connection, window, False, NoEventMask, &event);
        XSync(connection, False);
    }
    std::optional<int> exitStatus(std::chrono::milliseconds limit) {
        return status = status ? status : WaitForExit(program, limit);
    }
    std::string output(const char* stream) const { // ".out" or ".err"
        std::ostringstream text;
        text << std::ifstream(outputs + stream).rdbuf();
        return text.str();
    }
};
