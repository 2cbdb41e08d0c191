// How much of the machine the program takes while a game is played: the CPU time the kernel
// counts for the whole process (every thread: the main loop, the timer, Mesa's llvmpipe
// workers) over 30 seconds of play, as a share of one core, from /proc/<pid>/stat. The 30
// seconds are read in three slices of 10; the median and the highest slice are reported. The
// X server's share is shown beside it, since it copies every presented picture. The bench
// itself only sleeps and taps a key twice a second meanwhile. It plays twice: with no controller,
// then with a pad plugged in (bench/virtual_pad.cpp, preloaded into the program), since the media
// library waits for events by polling every millisecond while a joystick is open. After the
// first, it pauses the game with Escape and reads the CPU time over three slices of 10 seconds
// while paused, then plays on, pausing a second at a time: the frame counter 100 ms after each
// Escape that resumes shows the ticks that came in those 100 ms (six, one a period after the
// resume; a catch-up of the paused second would show some sixty). Then it holds S until the game
// ends and reads the CPU time again over three slices of 10 seconds at GAMEOVER, where the
// picture cannot change.
#include "observe.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
constexpr int Slices = 3;
constexpr auto SliceLength = 10s;
constexpr auto TapEvery = 500ms;
const char* const Keys[] = {"d", "o", "a", "i"};

struct Reading {
    BenchClock::time_point when;
    double program = 0.0;
    double server = 0.0;
    std::map<std::string, double> threads;
};

Reading Take(pid_t program, pid_t server) {
    return {BenchClock::now(), CpuSeconds(program), server != 0 ? CpuSeconds(server) : 0.0,
            CpuSecondsByThread(program)};
}

double Seconds(BenchClock::duration span) {
    return std::chrono::duration<double>(span).count();
}

void PrintByThread(const Reading& first, const Reading& last) {
    std::printf("by thread:\n");
    for (const auto& [name, seconds] : last.threads) {
        const auto before = first.threads.find(name);
        const double spent = seconds - (before != first.threads.end() ? before->second : 0.0);
        std::printf("  %-22s %9.2f%%\n", name.c_str(),
                    100.0 * spent / Seconds(last.when - first.when));
    }
}
} // namespace

void Tap(XPlay& game, const char* key) {
    game.key(key, true);
    game.key(key, false);
}

bool ShowsPause(const Picture& picture) {
    return ReadText(picture, -2.5f, 5, 5) == "PAUSE";
}

// A second after the picture was left standing, three slices of 10 seconds: the program's share
// of one core in each, printed as the result named.
void StillPicture(const char* when, const std::string& what, const char* target, pid_t program,
                  pid_t server) {
    std::this_thread::sleep_for(1s);
    std::vector<Reading> readings{Take(program, server)};
    std::vector<double> shares;
    for (int slice = 0; slice < Slices; ++slice) {
        std::this_thread::sleep_for(SliceLength);
        readings.push_back(Take(program, server));
        const Reading& from = readings[slice];
        const Reading& to = readings[slice + 1];
        shares.push_back(100.0 * (to.program - from.program) / Seconds(to.when - from.when));
    }
    std::printf("%s, %d slices of %lld s: program %.2f%% (median)\n", when, Slices,
                static_cast<long long>(SliceLength.count()), Median(shares));
    PrintByThread(readings.front(), readings.back());
    PrintResult(what, Fixed(Median(shares), 2, "") + "%", Fixed(Largest(shares), 2, "") + "%",
                target);
}

// The CPU time while paused, and the ticks of the first 100 ms after resumes; whether they could
// be measured.
bool WhilePaused(XPlay& game, pid_t program, pid_t server) {
    Tap(game, "Escape");
    if (!game.waitFor(ShowsPause, 10s)) {
        std::fprintf(stderr, "cpu_bench: Escape did not pause the game\n");
        return false;
    }
    StillPicture("paused", "CPU use while paused (all threads, % of one core)",
                 "< 1%, as at GAMEOVER", program, server);
    constexpr int Resumes = 10;
    std::vector<double> ticks;
    for (int resume = 0; resume < Resumes; ++resume) {
        const long before = ReadFrames(game.picture());
        const auto pressed = BenchClock::now();
        Tap(game, "Escape");
        std::this_thread::sleep_until(pressed + 100ms);
        ticks.push_back(static_cast<double>(ReadFrames(game.picture()) - before));
        std::this_thread::sleep_for(400ms);
        Tap(game, "Escape");
        if (!game.waitFor(ShowsPause, 10s)) {
            std::fprintf(stderr, "cpu_bench: Escape did not pause the game again\n");
            return false;
        }
        std::this_thread::sleep_for(1s);
    }
    Tap(game, "Escape");
    PrintResult("ticks shown 100 ms after an Escape that resumes, after a second paused",
                Fixed(Median(ticks), 0, ""), Fixed(Largest(ticks), 0, ""), "<= 6: no burst");
    return true;
}

// S held until the stack reaches the top, then the picture left standing: whether it could be
// measured.
bool StandingStill(XPlay& game, pid_t program, pid_t server) {
    game.key("s", true);
    const bool over = game.waitFor(
        [](const Picture& picture) { return ReadText(picture, -17, -2, 9) == "GAMEOVER "; }, 120s);
    game.key("s", false);
    if (!over) {
        std::fprintf(stderr, "cpu_bench: the game did not end with S held\n");
        return false;
    }
    StillPicture("at GAMEOVER",
                 "CPU use at GAMEOVER, the picture standing still (all threads, % of one core)",
                 "< 1%", program, server);
    return true;
}

// One 30-second measurement, printed under the heading; whether it could be taken.
bool Measure(const std::string& heading, bool withPad) {
    std::printf("-- %s\n", heading.c_str());
    const auto game = StartGame(DisplayModes[0], "cpu_bench", withPad);
    if (!game) {
        return false;
    }
    const pid_t program = GameProcess();
    const pid_t server = ChildNamed(getppid(), "Xvfb");
    const double loadBefore = LoadAverage();

    std::vector<Reading> readings{Take(program, server)};
    int taps = 0;
    for (int slice = 0; slice < Slices; ++slice) {
        const auto end = readings.front().when + (slice + 1) * SliceLength;
        while (BenchClock::now() + TapEvery < end) {
            std::this_thread::sleep_for(TapEvery - 64ms);
            game->key(Keys[taps % 4], true);
            std::this_thread::sleep_for(64ms);
            game->key(Keys[taps++ % 4], false);
        }
        std::this_thread::sleep_until(end);
        readings.push_back(Take(program, server));
    }
    if (game->ended(0s)) {
        std::fprintf(stderr, "cpu_bench: the program ended during the measurement\n");
        return false;
    }
    if (withPad && game->output(".err").find("opened a controller") == std::string::npos) {
        std::fprintf(stderr, "cpu_bench: the program never opened the virtual pad\n");
        return false;
    }

    std::vector<double> shares;
    std::printf("%-24s %10s %10s\n", "slice", "program", "X server");
    for (int slice = 0; slice < Slices; ++slice) {
        const Reading& from = readings[slice];
        const Reading& to = readings[slice + 1];
        const double wall = Seconds(to.when - from.when);
        shares.push_back(100.0 * (to.program - from.program) / wall);
        std::printf("%2d..%2d s %15s %9.1f%% %9.1f%%\n", slice * 10, slice * 10 + 10, "",
                    shares.back(), 100.0 * (to.server - from.server) / wall);
    }
    const Reading& first = readings.front();
    const Reading& last = readings.back();
    const double wall = Seconds(last.when - first.when);
    std::printf("whole %.1f s %14s %9.1f%% %9.1f%%\n", wall, "",
                100.0 * (last.program - first.program) / wall,
                100.0 * (last.server - first.server) / wall);
    PrintByThread(first, last);
    std::printf("load average %.2f before, %.2f after; %d key taps\n", loadBefore, LoadAverage(),
                taps);
    PrintResult("CPU use of the program over 30 s of play (all threads, % of one core), " + heading,
                Fixed(Median(shares), 1, "") + "%", Fixed(Largest(shares), 1, "") + "%", "-");
    if (!withPad) {
        return WhilePaused(*game, program, server) && StandingStill(*game, program, server);
    }
    return true;
}

int main() {
    const bool measured = Measure("no controller", false);
    return measured && Measure("a pad plugged in", true) ? 0 : 1;
}
