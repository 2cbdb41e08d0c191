#include "child_process.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {
std::string TemporaryFile(const char* kind) {
    std::string pattern = "/tmp/velmora-" + std::string(kind) + "-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor >= 0) {
        close(descriptor);
    }
    return pattern;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}
} // namespace

ChildProcess StartProgram(const std::string& path, const Environment& environment,
                          const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    ChildProcess child;
    child.stdoutPath = TemporaryFile("stdout");
    child.stderrPath = TemporaryFile("stderr");
    child.pid = fork();
    if (child.pid == 0) {
        for (const auto& [name, value] : environment.set) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        for (const std::string& name : environment.unset) {
            unsetenv(name.c_str());
        }
        const int out = open(child.stdoutPath.c_str(), O_WRONLY | O_TRUNC);
        const int err = open(child.stderrPath.c_str(), O_WRONLY | O_TRUNC);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(FolderOf(path).c_str()) != 0) {
            _exit(127);
        }
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

std::optional<int> WaitForExit(const ChildProcess& child, std::chrono::milliseconds deadline) {
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 || std::chrono::steady_clock::now() > giveUp) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Discard(ChildProcess& child) {
    if (child.pid > 0) {
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == 0) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
        }
        child.pid = -1;
    }
    std::remove(child.stdoutPath.c_str());
    std::remove(child.stderrPath.c_str());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

Window FindWindowOf(Display* display, pid_t pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None) {
        return 0;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* value = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &remaining, &value) == Success &&
            value != nullptr) {
            if (items == 1 && format == 32 &&
                *reinterpret_cast<unsigned long*>(value) == static_cast<unsigned long>(pid)) {
                found = children[i];
            }
            XFree(value);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

bool ShowsAnything(Display* display, Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        attributes.map_state != IsViewable) {
        return false;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    bool lit = false;
    for (int y = 0; y < image->height && !lit; ++y) {
        if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
            // The usual TrueColor layout: scan the row's bytes, padding byte aside.
            const auto* row = reinterpret_cast<const unsigned char*>(image->data) +
                              static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
            for (int x = 0; x < image->width && !lit; ++x) {
                lit = (row[4 * x] | row[4 * x + 1] | row[4 * x + 2]) != 0;
            }
            continue;
        }
        for (int x = 0; x < image->width && !lit; ++x) {
            lit = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
        }
    }
    XDestroyImage(image);
    return lit;
}
