// The pace of the logic timer and of the pictures in the real program, on each of the display
// modes (observe.h). The program takes no options and carries no hooks for this, so everything
// is seen from outside while a game runs untouched:
// - ticks per 10 s of wall time: the frame counter that the screen shows, read at the start
//   and at the end of each of three 10-second windows (a picture trails its tick by the time
//   a frame takes to draw and present, alike at both ends, so a count is good to one tick);
// - the pictures presented: the counter looked at every 2 ms or so through each window; each
//   change is a picture of a newer tick on the screen;
// - stutters at 60 Hz: a refresh that shows the same tick again while a newer one had come
//   longer than a drawing before it. The simulated display changes the picture only at its
//   refreshes, so each change belongs to the last refresh before it was seen, and the ticks'
//   times come from the trace below; the tick that shows a count is the last one traced before
//   every picture of that count was seen (the picture that shows soonest after its tick tells);
// - the largest gap between two ticks: the kernel traces every entry into the program's timer
//   callback LogicTick (a uprobe placed by perf on the built program, found by its symbol),
//   and every wake-up of the timer thread (sched:sched_wakeup), which tells how long the
//   thread waited for a CPU once its timer had fired. The probe costs the program a trap of a
//   few microseconds per tick and nothing else. perf needs root (or perf_event_paranoid -1
//   and a writable tracefs); without it only the count is reported.
// A stall of the whole machine stops the timer as well (and one of four periods or more makes
// the timer start its grid afresh, so ticks are lost); windows and gaps that one fell on are
// reported apart as well (MachineStalls).
#include "observe.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace {
constexpr int Windows = 3;
constexpr auto WindowLength = 10s;
constexpr double TickSeconds = 0.016;
// A picture's drawing in play on this machine: 1.6 ms median, 2.1 ms at the 90th percentile.
constexpr double DrawingSeconds = 0.002;
// The counter's seven glyphs on the text display.
constexpr SceneArea Counter = {{-13, 1}, {-6, 2}};

struct CounterReading {
    unsigned frames = 0;
    double when = 0.0; // steady clock, seconds: the middle of the look
};

// The first look that reads a whole number off the counter.
std::optional<CounterReading> ReadCounter(WindowRegion& counter) {
    const auto giveUp = BenchClock::now() + 2s;
    while (BenchClock::now() < giveUp) {
        const auto before = BenchClock::now();
        if (!counter.grab()) {
            return std::nullopt;
        }
        const auto after = BenchClock::now();
        const long frames = ReadFrames(counter.picture());
        if (frames > 0) {
            return CounterReading{static_cast<unsigned>(frames),
                                  SteadySeconds(before + (after - before) / 2)};
        }
    }
    return std::nullopt;
}

struct TimerTrace {
    std::vector<double> tickStarts; // CLOCK_MONOTONIC seconds, the steady clock's
    std::vector<double> waitsForCpu;
};

// perf's text for the two events, in time order: "<seconds>: <event>: <fields>".
TimerTrace ParseTrace(const std::string& path) {
    TimerTrace trace;
    std::ifstream file(path);
    std::string line;
    double lastWakeup = -1.0; // none since the last tick
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        double seconds = 0.0;
        char colon = 0;
        std::string event;
        if (!(fields >> seconds >> colon >> event)) {
            continue;
        }
        if (event == "sched:sched_wakeup:") {
            lastWakeup = seconds;
        } else if (event.rfind("probe_", 0) == 0) {
            trace.tickStarts.push_back(seconds);
            if (lastWakeup >= 0.0) {
                trace.waitsForCpu.push_back(seconds - lastWakeup);
            }
            lastWakeup = -1.0;
        }
    }
    return trace;
}

int RunPerf(const std::vector<std::string>& arguments, const TemporaryFolder& folder,
            const std::string& output = "") {
    Process perf(arguments, output, folder.file("perf.err"));
    return perf.waitForExit(60s).value_or(-1);
}

// The kernel's record of the program's ticks while it lives: a uprobe on LogicTick, named
// after this process so that two benches never share one, and the timer thread's wake-ups.
class TickRecorder {
  public:
    TickRecorder(const std::string& program, pid_t timerThread, const TemporaryFolder& folder)
        : folder_(folder), event_("velmora_tick_" + std::to_string(getpid())) {
        if (timerThread == 0) {
            std::fprintf(stderr, "pacing_bench: the program has no thread named SDLTimer\n");
            return;
        }
        if (RunPerf({"perf", "probe", "-q", "-x", program, "--add", event_ + "=LogicTick"},
                    folder) != 0) {
            Complain("perf cannot probe the program");
            return;
        }
        probed_ = true;
        const std::string thread = std::to_string(timerThread);
        recorder_ = std::make_unique<Process>(
            std::vector<std::string>{"perf", "record", "-q", "-k", "CLOCK_MONOTONIC", "-a", "-e",
                                     "probe_velmora:" + event_, "-e", "sched:sched_wakeup",
                                     "--filter", "pid == " + thread, "-o",
                                     folder.file("trace.data")},
            "", folder.file("record.err"));
        // perf opens a buffer on every CPU before it records; give it the time.
        std::this_thread::sleep_for(1500ms);
        if (!recorder_->running()) {
            Complain("perf cannot record", "record.err");
            recorder_.reset();
        }
    }
    ~TickRecorder() {
        recorder_.reset();
        if (probed_) {
            RunPerf({"perf", "probe", "-q", "--del", "probe_velmora:" + event_}, folder_);
        }
    }
    TickRecorder(const TickRecorder&) = delete;
    TickRecorder& operator=(const TickRecorder&) = delete;

    bool recording() const { return recorder_ != nullptr; }

    std::optional<TimerTrace> finish() {
        recorder_->signal(SIGINT);
        // perf ends its recording on SIGINT and then leaves by that signal.
        const auto status = recorder_->waitForExit(20s);
        recorder_.reset();
        if (status != 0 && status != 128 + SIGINT) {
            Complain("perf record failed", "record.err");
            return std::nullopt;
        }
        if (RunPerf(
                {"perf", "script", "-i", folder_.file("trace.data"), "--ns", "-F", "time,event"},
                folder_, folder_.file("trace.txt")) != 0) {
            Complain("perf script failed");
            return std::nullopt;
        }
        return ParseTrace(folder_.file("trace.txt"));
    }

  private:
    void Complain(const std::string& what, const std::string& log = "perf.err") const {
        std::fprintf(stderr, "pacing_bench: %s: %s\n", what.c_str(),
                     ReadWholeFile(folder_.file(log)).c_str());
    }

    const TemporaryFolder& folder_;
    std::string event_;
    bool probed_ = false;
    std::unique_ptr<Process> recorder_;
};
struct WindowFigures {
    std::vector<double> counts;      // ticks per 10 s
    std::vector<double> largestGaps; // ms
    std::vector<double> presents;    // newer pictures per second
    std::vector<double> stutters;    // per 100 refreshes
    int older = 0;                   // pictures of an older tick than the one before
};

struct ModeFigures {
    bool traced = false;
    WindowFigures all;
    WindowFigures calm; // windows, and gaps, that no stall of the whole machine fell on
};

std::string CountFigure(const std::vector<double>& counts) {
    if (counts.empty()) {
        return "n/a";
    }
    const auto furthest = std::max_element(counts.begin(), counts.end(), [](double a, double b) {
        return std::abs(a - 10.0 / TickSeconds) < std::abs(b - 10.0 / TickSeconds);
    });
    return Fixed(Median(counts), 1, "") + " / " + Fixed(*furthest, 1, "");
}

std::string GapFigure(bool traced, const std::vector<double>& gaps) {
    if (!traced || gaps.empty()) {
        return "n/a";
    }
    return Fixed(Median(gaps), 1, "") + " / " + Fixed(Largest(gaps), 1, "ms");
}

// Looks at the counter every couple of milliseconds until the moment and adds every change it
// sees, in order: each is a picture of a newer tick presented (or of an older one).
void WatchCounter(WindowRegion& counter, BenchClock::time_point until,
                  std::vector<CounterReading>& changes) {
    while (BenchClock::now() < until) {
        if (counter.grab()) {
            const long frames = ReadFrames(counter.picture());
            if (frames > 0 && (changes.empty() || changes.back().frames != frames)) {
                changes.push_back(
                    {static_cast<unsigned>(frames), SteadySeconds(BenchClock::now())});
            }
        }
        std::this_thread::sleep_for(2ms);
    }
}

// The index in the trace of the tick whose count each change shows: the count of a tick is its
// index less a fixed offset, and each change is seen after its tick started. None when no
// change can be placed.
std::optional<long> TickOffset(const std::vector<CounterReading>& changes,
                               const std::vector<double>& tickStarts) {
    std::optional<long> offset;
    for (const CounterReading& change : changes) {
        const auto before = std::lower_bound(tickStarts.begin(), tickStarts.end(), change.when);
        const long latest = static_cast<long>(before - tickStarts.begin()) - 1 - change.frames;
        offset = std::min(offset.value_or(latest), latest);
    }
    return offset;
}

// Refreshes of the simulated display from `from` to `to` (seconds on its clock) that show the
// same tick as the one before while a newer tick had started longer than a drawing before.
int Stutters(const DisplayMode& display, double from, double to,
             const std::vector<CounterReading>& changes, const std::vector<double>& tickStarts,
             long offset) {
    const double period = std::chrono::duration<double>(RefreshPeriod(display)).count();
    const auto refreshOf = [&](double when) { return static_cast<long>(when / period); };
    int stutters = 0;
    std::size_t next = 0; // the first change not yet on screen
    for (long refresh = refreshOf(from) + 1; refresh <= refreshOf(to); ++refresh) {
        bool changed = false;
        while (next < changes.size() && refreshOf(changes[next].when) <= refresh) {
            changed = changed || refreshOf(changes[next].when) == refresh;
            next += 1;
        }
        if (changed || next == 0) {
            continue;
        }
        const long newer = changes[next - 1].frames + offset + 1;
        stutters += newer >= 0 && newer < static_cast<long>(tickStarts.size()) &&
                    tickStarts[newer] < refresh * period - DrawingSeconds;
    }
    return stutters;
}

std::optional<ModeFigures> Measure(const DisplayMode& display) {
    const auto game = StartGame(display, "pacing_bench");
    if (!game) {
        return std::nullopt;
    }
    WindowRegion counter(game->x, game->window, Counter);

    // SDL names the thread that runs its timers.
    const pid_t timerThread = ThreadNamed(GameProcess(), "SDLTimer");
    const TemporaryFolder folder;
    TickRecorder recorder(VELMORA_PROGRAM, timerThread, folder);
    const double loadBefore = LoadAverage();
    const MachineStalls watch;

    std::vector<CounterReading> readings;
    std::vector<CounterReading> changes;
    const auto start = BenchClock::now();
    for (int window = 0; window <= Windows; ++window) {
        if (window > 0) {
            WatchCounter(counter, start + window * WindowLength, changes);
        }
        const auto reading = ReadCounter(counter);
        if (!reading) {
            std::fprintf(stderr, "pacing_bench: the frame counter cannot be read (%s)\n",
                         display.name);
            return std::nullopt;
        }
        readings.push_back(*reading);
    }
    const double loadAfter = LoadAverage();
    std::optional<TimerTrace> trace;
    if (recorder.recording()) {
        trace = recorder.finish();
    }

    ModeFigures figures;
    figures.traced = trace.has_value();
    const auto offset = trace ? TickOffset(changes, trace->tickStarts) : std::nullopt;
    WindowFigures& all = figures.all;
    WindowFigures& calm = figures.calm;
    std::printf("== %s\n", display.name);
    std::printf("%-9s %17s %9s %8s %12s %13s %9s %9s %13s\n", "window", "on screen", "per 10 s",
                "ticks", "largest gap", "gaps > 20 ms", "newer/s", "stutter", "machine stall");
    for (int window = 0; window < Windows; ++window) {
        const CounterReading& from = readings[window];
        const CounterReading& to = readings[window + 1];
        const double seconds = to.when - from.when;
        const unsigned frames = to.frames - from.frames;
        const bool stalled = watch.stalledWithin(from.when, to.when);
        all.counts.push_back(frames * 10.0 / seconds);
        int newer = 0;
        for (std::size_t i = 1; i < changes.size(); ++i) {
            if (changes[i].when >= from.when && changes[i].when < to.when) {
                newer += changes[i].frames > changes[i - 1].frames ? 1 : 0;
                all.older += changes[i].frames < changes[i - 1].frames ? 1 : 0;
            }
        }
        all.presents.push_back(newer / seconds);
        if (display.hz > 0 && offset) {
            all.stutters.push_back(
                100.0 * Stutters(display, from.when, to.when, changes, trace->tickStarts, *offset) /
                (seconds * display.hz));
        }
        if (!stalled) {
            calm.counts.push_back(all.counts.back());
        }
        std::printf("%2d..%2d s %7u in %6.3f s %9.1f", window * 10, window * 10 + 10, frames,
                    seconds, all.counts.back());
        if (trace) {
            int ticks = 0;
            int late = 0;
            double largest = 0.0;
            double largestCalm = 0.0;
            const auto& starts = trace->tickStarts;
            for (std::size_t i = 1; i < starts.size(); ++i) {
                if (starts[i] >= from.when && starts[i] < to.when) {
                    const double gap = (starts[i] - starts[i - 1]) * 1000.0;
                    ticks += 1;
                    late += gap > 20.0 ? 1 : 0;
                    largest = std::max(largest, gap);
                    if (!watch.stalledWithin(starts[i - 1], starts[i])) {
                        largestCalm = std::max(largestCalm, gap);
                    }
                }
            }
            all.largestGaps.push_back(largest);
            calm.largestGaps.push_back(largestCalm);
            std::printf(" %8d %9.1f ms %13d", ticks, largest, late);
        } else {
            std::printf(" %8s %12s %13s", "-", "-", "-");
        }
        std::printf(" %9.1f %9s %13s\n", all.presents.back(),
                    all.stutters.size() > static_cast<std::size_t>(window)
                        ? Fixed(all.stutters.back(), 2, "%").c_str()
                        : "-",
                    stalled ? "yes" : "no");
    }
    if (trace && trace->tickStarts.size() > 1) {
        std::vector<double> gaps;
        for (std::size_t i = 1; i < trace->tickStarts.size(); ++i) {
            gaps.push_back((trace->tickStarts[i] - trace->tickStarts[i - 1]) * 1000.0);
        }
        std::sort(gaps.begin(), gaps.end());
        std::printf("tick gaps: median %.2f ms, 99th percentile %.2f ms, largest %.2f ms (%zu)\n",
                    Median(gaps), gaps[gaps.size() * 99 / 100], gaps.back(), gaps.size());
        if (!trace->waitsForCpu.empty()) {
            std::printf("the timer thread's wait for a CPU once woken: median %.3f ms, largest "
                        "%.3f ms\n",
                        Median(trace->waitsForCpu) * 1000.0, Largest(trace->waitsForCpu) * 1000.0);
        }
    }
    std::printf("pictures of an older tick than the one before: %d\n", all.older);
    std::printf("whole-machine stalls over 20 ms: %d, the longest %.0f ms%s\n", watch.count(),
                watch.longestMs(), watch.raised() ? "" : " (the watch ran without precedence)");
    std::printf("load average %.2f before, %.2f after\n", loadBefore, loadAfter);
    return figures;
}

std::string PresentFigure(const WindowFigures& windows) {
    if (windows.presents.empty()) {
        return "n/a";
    }
    const double lowest = *std::min_element(windows.presents.begin(), windows.presents.end());
    return Fixed(Median(windows.presents), 1, "") + " / " + Fixed(lowest, 1, "") +
           (windows.older > 0 ? ", " + std::to_string(windows.older) + " older" : "");
}

std::string StutterFigure(const DisplayMode& display, const WindowFigures& windows) {
    if (display.hz != 60 || windows.stutters.empty()) {
        return "-";
    }
    return Fixed(Median(windows.stutters), 2, "") + " / " + Fixed(Largest(windows.stutters), 2, "");
}
} // namespace

int main() {
    std::vector<std::optional<ModeFigures>> modes;
    for (const DisplayMode& display : DisplayModes) {
        modes.push_back(Measure(display));
    }
    // One row of the table: a figure for each display mode, "n/a" where its run failed.
    auto row = [&](const std::string& what, const std::string& target, auto figure) {
        std::vector<std::string> figures;
        for (std::size_t mode = 0; mode < modes.size(); ++mode) {
            figures.push_back(modes[mode] ? figure(DisplayModes[mode], *modes[mode]) : "n/a");
        }
        PrintModesResult(what, figures, target);
    };
    row("ticks per 10 s of wall time (frame counter on the screen), median / furthest", "625 +- 3",
        [](const DisplayMode&, const ModeFigures& m) { return CountFigure(m.all.counts); });
    row("the same, 10 s windows without a whole-machine stall", "625 +- 3",
        [](const DisplayMode&, const ModeFigures& m) { return CountFigure(m.calm.counts); });
    row("largest gap between two ticks in 10 s (uprobe on LogicTick), median / worst", "<= 20 ms",
        [](const DisplayMode&, const ModeFigures& m) {
            return GapFigure(m.traced, m.all.largestGaps);
        });
    row("the same, leaving out gaps across a whole-machine stall", "<= 20 ms",
        [](const DisplayMode&, const ModeFigures& m) {
            return GapFigure(m.traced, m.calm.largestGaps);
        });
    row("pictures of a newer tick presented per second, median / lowest 10 s", ">= 59 at 60 Hz",
        [](const DisplayMode&, const ModeFigures& m) { return PresentFigure(m.all); });
    row("60 Hz refreshes that repeat a tick while a newer one waited over a drawing (2 ms), per "
        "100, median / worst 10 s",
        "<= 1", [](const DisplayMode& display, const ModeFigures& m) {
            return StutterFigure(display, m.all);
        });
    return std::all_of(modes.begin(), modes.end(), [](const auto& m) { return m.has_value(); }) ? 0
                                                                                                : 1;
}
