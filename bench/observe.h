// What the play benchmarks see of the running program, all of it from outside the process: its
// window read through shared memory as fast as the X server answers, the CPU time the kernel has
// counted for it and its threads, moments when the whole machine stood still, and the plain
// figures they print. The program itself is started and read through the end-to-end tests'
// tests/screen/x_play.h and tests/screen/screen.h.
#pragma once

#include "x_play.h"

#include <X11/extensions/XShm.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using BenchClock = std::chrono::steady_clock;

// A rectangle of the scene's plane z = 0 between two corners, in the scene's units.
struct SceneArea {
    glm::vec2 from;
    glm::vec2 to;
};

// The window's picture fetched with XShmGetImage: several times quicker than a picture through
// the X connection's socket, so that a look costs the program being timed little. Given an area
// of the scene, only the pixels that show it are fetched, a fraction of the cost again; the rest
// of the picture stays black.
class WindowRegion {
  public:
    WindowRegion(Display* display, Window window, std::optional<SceneArea> area = std::nullopt);
    ~WindowRegion();
    WindowRegion(const WindowRegion&) = delete;
    WindowRegion& operator=(const WindowRegion&) = delete;

    // Fetches the picture afresh; false when the window is gone.
    bool grab();
    const Picture& picture() const { return picture_; }

  private:
    Display* display_;
    Window window_;
    XShmSegmentInfo segment_{};
    XImage* image_ = nullptr;
    int left_ = 0; // where the fetched pixels lie in the picture
    int top_ = 0;
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

// A helper program of a bench (perf), its standard output and error in files.
class Process {
  public:
    Process(const std::vector<std::string>& arguments, const std::string& stdoutPath,
            const std::string& stderrPath);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool running();
    void signal(int number) const;
    // The exit status once it has ended within the time (128 + the signal if one ended it).
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);

// Waits until the first piece of the game can be steered (the display shows ACTIVE).
bool WaitForActive(XPlay& game, std::chrono::milliseconds limit);

// The display that the program presents on: Xvfb as it is, where a swap never waits, or a display
// of `hz` refreshes a second simulated by bench/display_sim.cpp, preloaded into the program.
struct DisplayMode {
    const char* name;
    int hz;
};
inline constexpr DisplayMode DisplayModes[] = {{"no vsync", 0}, {"60 Hz", 60}, {"144 Hz", 144}};

// The simulated display's refreshes: the whole multiples of its period in nanoseconds on the
// steady clock, as the simulation keeps them; the refresh at or before the moment.
std::chrono::nanoseconds RefreshPeriod(const DisplayMode& display);
BenchClock::time_point RefreshBefore(const DisplayMode& display, BenchClock::time_point moment);

// Starts the program on the display, with a virtual pad plugged in (bench/virtual_pad.cpp,
// preloaded) when asked, and waits until its first piece can be steered; null, said on standard
// error with the bench's name, when it never can.
std::unique_ptr<XPlay> StartGame(const DisplayMode& display, const char* bench,
                                 bool withPad = false);
// The game that the XPlay started: a child of this process.
pid_t GameProcess();

// The steady-clock time in seconds.
double SteadySeconds(BenchClock::time_point when);

// User plus system time that the kernel has counted for the process or thread (all threads
// of a process), in seconds, from /proc/<pid>/stat or /proc/<pid>/task/<tid>/stat.
double CpuSeconds(pid_t process);
// The same per thread name, summed over the threads that share a name.
std::map<std::string, double> CpuSecondsByThread(pid_t process);
// The id of the first thread of the process with the name, or 0.
pid_t ThreadNamed(pid_t process, const std::string& name);
// A child of the process that carries the name, or 0: the game that an XPlay started is a child
// of the bench, the X server that tests/private-x.sh started a child of the bench's parent.
pid_t ChildNamed(pid_t parent, const std::string& name);

// The load average over the last minute, as /proc/loadavg has it.
double LoadAverage();

double Median(std::vector<double> values);
double Largest(const std::vector<double>& values);

// One line of the summary table that scripts/run-benchmarks.sh gathers: tab-separated after
// the word "result", the figures already in their units.
void PrintResult(const std::string& what, const std::string& median, const std::string& worst,
                 const std::string& target);
// A line of the table of the display modes: one figure (median / worst) for each of
// DisplayModes, in their order.
void PrintModesResult(const std::string& what, const std::vector<std::string>& figures,
                      const std::string& target);
std::string Fixed(double value, int decimals, const std::string& unit);
