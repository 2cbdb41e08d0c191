// The built program run as a child process, the way a player or a desktop starts it, and the
// window it opens on the X display, found by its process id.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    std::string stdoutPath;
    std::string stderrPath;
};

struct Environment {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
};

// Starts the program at `path` in its own folder, with standard output and standard error
// going to files of their own.
ChildProcess StartProgram(const std::string& path, const Environment& environment = {},
                          const std::vector<std::string>& arguments = {});

// The exit status, or -1 for a death by signal; nothing when the deadline passed first.
std::optional<int> WaitForExit(const ChildProcess& child, std::chrono::milliseconds deadline);

// Kills a child that is still running and removes its output files.
void Discard(ChildProcess& child);

std::string ReadWholeFile(const std::string& path);

// The top-level window whose _NET_WM_PID is the child's, or 0 when there is none yet.
Window FindWindowOf(Display* display, pid_t pid);

// Whether any pixel of the window's presented picture is not black.
bool ShowsAnything(Display* display, Window window);
