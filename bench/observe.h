// What the play benchmarks see of the running program, all of it from outside the process: a
// part of its window read through shared memory as fast as the X server answers, the CPU time
// the kernel has counted for it and its threads, and the plain figures they print.
#pragma once

#include "screen_reader.h"
#include "x_server.h"

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using BenchClock = std::chrono::steady_clock;

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The window pixels that show the world rectangle from (left, bottom) to (right, top) on the
// plane z = 0, for the camera of a window of the given size.
PixelRect PixelsOf(const Camera& camera, float left, float bottom, float right, float top);

// One rectangle of a window, fetched with XShmGetImage on an X connection of its own, into a
// picture of the whole window's size whose other pixels stay black. A rectangle is a fraction
// of the window, so a look takes a fraction of the time of a whole screenshot.
class WindowRegion {
  public:
    WindowRegion(const std::string& displayName, WindowId window, WindowSize size, PixelRect rect);
    ~WindowRegion();
    WindowRegion(const WindowRegion&) = delete;
    WindowRegion& operator=(const WindowRegion&) = delete;

    // Fetches the rectangle afresh; false when the window is gone.
    bool grab();
    const Picture& picture() const { return picture_; }

  private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
    WindowId window_;
    PixelRect rect_;
    Picture picture_;
};

// Notices moments when the whole machine stops running this process (a virtual machine that
// is not given a CPU, a host that swaps): a thread of high precedence sleeps 2 ms at a time and
// notes every sleep that lasts more than 20 ms. Such a moment stops the program's threads as
// well, so the figures that fall on one say nothing about the program; the benches report
// them both with and without those moments.
class MachineStalls {
  public:
    MachineStalls();
    ~MachineStalls();
    MachineStalls(const MachineStalls&) = delete;
    MachineStalls& operator=(const MachineStalls&) = delete;

    // Whether a stall overlapped the span, in steady-clock seconds.
    bool stalledWithin(double from, double to) const;
    // Stalls so far and the longest of them, in milliseconds.
    int count() const;
    double longestMs() const;
    // Whether the watch got its high precedence (it needs root or CAP_SYS_NICE).
    bool raised() const { return raised_; }

  private:
    struct Span {
        double from;
        double to;
    };
    mutable std::mutex mutex_;
    std::vector<Span> stalls_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> raised_{false};
    std::thread thread_;
};

double SteadySeconds(BenchClock::time_point when);

// User plus system time that the kernel has counted for the process or thread (all threads
// of a process), in seconds, from /proc/<pid>/stat or /proc/<pid>/task/<tid>/stat.
double CpuSeconds(pid_t process);
// The same per thread name, summed over the threads that share a name.
std::map<std::string, double> CpuSecondsByThread(pid_t process);
// The id of the first thread of the process with the name, or 0.
pid_t ThreadNamed(pid_t process, const std::string& name);
// The process that is a child of this one and carries the name, or 0: the X server that an
// XServer started.
pid_t ChildNamed(const std::string& name);

// The load average over the last minute, as /proc/loadavg has it.
double LoadAverage();

double Median(std::vector<double> values);
double Largest(const std::vector<double>& values);

// One line of the summary table that scripts/run-benchmarks.sh gathers: tab-separated after
// the word "result", the figures already in their units.
void PrintResult(const std::string& what, const std::string& median, const std::string& worst,
                 const std::string& target);
std::string Fixed(double value, int decimals, const std::string& unit);
