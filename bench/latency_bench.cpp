// Key to screen: how long after a key goes down the first picture that shows its effect is on
// the screen, on each of the display modes (observe.h). The real program, in an X server of its
// own, is sent D and A in turn through XTest while a piece falls in the middle of the well;
// after each press the bench looks at the well alone (through shared memory), a quarter of a
// millisecond apart (on a simulated display only in the first 4 ms after each refresh, when
// alone the picture can change), until the piece stands one column over. The time runs from
// just before the press to the end of the first look that shows the move, so it includes the
// wait for the next tick (0 to 16 ms, the presses fall at random moments of the tick), the
// drawing and presenting of that frame, and at most a pause and one look (the typical look time
// is printed). After each press the key is let go and the bench waits for three more frames, so
// that a tick sees the key up before the next press, then a random 0 to 16 ms. Presses that a
// stall of the whole machine fell on are reported apart as well (MachineStalls).
#include "observe.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <thread>

namespace {
constexpr int PressCount = 100;
constexpr auto GiveUpAfter = 500ms;
// Between two looks for a move: the looks take a core from the program and the X server only
// part of the time, and the time measured runs at most this much over.
constexpr auto LookPause = 250us;
// A simulated display changes the picture only at its refreshes, as soon as the swap that waited
// for one goes through: this long after a refresh without a move, the next look waits for the
// next refresh. A picture that came later still would be seen a refresh late.
constexpr auto RefreshLooks = 4ms;
// The well, where the piece moves.
constexpr SceneArea Well = {{-5, -10}, {5, 10}};

// The leftmost column of the piece when the well shows exactly one piece's four cells of one
// kind and nothing unrecognised; the board is empty while the first piece falls.
std::optional<int> PieceColumn(const Picture& picture) {
    const std::string well = ReadCells(picture, -5, 10, 10, 20);
    int leftmost = 10;
    int cells = 0;
    char kind = 0;
    for (std::size_t cell = 0; cell < well.size(); ++cell) {
        if (well[cell] == '.' || well[cell] == '\n') {
            continue;
        }
        if (well[cell] == '?' || (kind != 0 && well[cell] != kind)) {
            return std::nullopt;
        }
        kind = well[cell];
        cells += 1;
        leftmost = std::min(leftmost, static_cast<int>(cell % 11));
    }
    return cells == 4 ? std::optional<int>(leftmost) : std::nullopt;
}

std::optional<unsigned> Counter(const Picture& picture) {
    const long frames = ReadFrames(picture);
    return frames > 0 ? std::optional<unsigned>(frames) : std::nullopt;
}

double Milliseconds(BenchClock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

struct Sight {
    bool seen = false; // both the piece and the counter could be read
    int column = 0;
    unsigned frames = 0;
};

// Looks until the piece and the counter are both readable.
Sight Steady(WindowRegion& region, std::chrono::milliseconds limit) {
    const auto giveUp = BenchClock::now() + limit;
    while (BenchClock::now() < giveUp && region.grab()) {
        const auto column = PieceColumn(region.picture());
        const auto frames = Counter(region.picture());
        if (column && frames) {
            return {true, *column, *frames};
        }
        std::this_thread::sleep_for(2ms);
    }
    return {};
}

struct Presses {
    std::vector<double> latencies;
    std::vector<double> calm; // presses that no stall of the whole machine fell on
    int missed = 0;
};

// The presses on the display, with its details printed; nothing when the piece cannot be read.
std::optional<Presses> Measure(const DisplayMode& display) {
    const auto game = StartGame(display, "latency_bench");
    if (!game) {
        return std::nullopt;
    }
    WindowRegion region(game->x, game->window);
    WindowRegion well(game->x, game->window, Well);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> tickPhase(0, 15999);
    const double loadBefore = LoadAverage();
    const MachineStalls watch;

    // No shift in the piece's first frame: start a few frames in.
    Sight now = Steady(region, 5s);
    if (!now.seen) {
        std::fprintf(stderr, "latency_bench: no piece to steer (%s)\n", display.name);
        return std::nullopt;
    }
    const unsigned firstFrame = now.frames;
    while (now.seen && now.frames < firstFrame + 3) {
        now = Steady(region, 1s);
    }

    Presses presses;
    std::vector<double> lookTimes;
    for (int press = 0; press < PressCount && now.seen; ++press) {
        const bool right = press % 2 == 0;
        const int target = now.column + (right ? 1 : -1);
        std::this_thread::sleep_for(std::chrono::microseconds(tickPhase(random)));

        const auto pressed = BenchClock::now();
        game->key(right ? "d" : "a", true);
        std::optional<double> latency;
        while (!latency && BenchClock::now() - pressed < GiveUpAfter) {
            const auto lookStart = BenchClock::now();
            if (!well.grab()) {
                break;
            }
            const auto seen = BenchClock::now();
            lookTimes.push_back(Milliseconds(seen - lookStart));
            if (PieceColumn(well.picture()) == target) {
                latency = Milliseconds(seen - pressed);
            } else if (display.hz > 0 && seen - RefreshBefore(display, seen) > RefreshLooks) {
                std::this_thread::sleep_until(RefreshBefore(display, seen) +
                                              RefreshPeriod(display));
            } else {
                std::this_thread::sleep_for(LookPause);
            }
        }
        game->key(right ? "d" : "a", false);
        if (latency) {
            presses.latencies.push_back(*latency);
            if (!watch.stalledWithin(SteadySeconds(pressed), SteadySeconds(BenchClock::now()))) {
                presses.calm.push_back(*latency);
            }
        } else {
            presses.missed += 1;
        }

        const Sight after = Steady(region, 2s);
        now = after;
        while (now.seen && now.frames < after.frames + 3) {
            now = Steady(region, 1s);
        }
    }
    if (presses.latencies.empty()) {
        std::fprintf(stderr, "latency_bench: no press showed on the screen (%s)\n", display.name);
        return std::nullopt;
    }

    std::vector<double> sorted = presses.latencies;
    std::sort(sorted.begin(), sorted.end());
    std::printf("== %s: %zu presses shown, %d not shown within %lld ms\n", display.name,
                sorted.size(), presses.missed, static_cast<long long>(GiveUpAfter.count()));
    std::printf("key to screen: best %.1f ms, median %.1f ms, 90th percentile %.1f ms, "
                "worst %.1f ms\n",
                sorted.front(), Median(sorted), sorted[sorted.size() * 9 / 10], sorted.back());
    std::printf("one look at the window: median %.2f ms, worst %.2f ms\n", Median(lookTimes),
                Largest(lookTimes));
    std::printf("whole-machine stalls over 20 ms: %d, the longest %.0f ms%s; %zu presses "
                "without one\n",
                watch.count(), watch.longestMs(),
                watch.raised() ? "" : " (the watch ran without precedence)", presses.calm.size());
    std::printf("load average %.2f before, %.2f after\n", loadBefore, LoadAverage());
    return presses;
}

std::string MedianAndWorst(const std::vector<double>& values) {
    return values.empty() ? "n/a"
                          : Fixed(Median(values), 1, "") + " / " + Fixed(Largest(values), 1, "ms");
}
} // namespace

int main() {
    std::vector<std::string> all;
    std::vector<std::string> calm;
    bool failed = false;
    for (const DisplayMode& display : DisplayModes) {
        const auto presses = Measure(display);
        failed = failed || !presses || presses->missed > PressCount / 10;
        all.push_back(presses ? MedianAndWorst(presses->latencies) : "n/a");
        calm.push_back(presses ? MedianAndWorst(presses->calm) : "n/a");
    }
    const std::string target =
        "no vsync <= 14 / 23 ms; 60 Hz <= 22 / 38 ms; 144 Hz median <= 15 ms";
    PrintModesResult("key press to the first picture that shows the move (100 presses), median / "
                     "worst",
                     all, target);
    PrintModesResult("the same, presses without a whole-machine stall", calm, target);
    return failed ? 1 : 0;
}
