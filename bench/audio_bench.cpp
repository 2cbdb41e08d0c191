// The sound's latency and cost, in the program's own code on a real audio device thread: the
// media library's disk driver writing to /dev/null paces the device as a sound card does, one
// buffer of 480 frames every 10 ms (SDL_AUDIODRIVER picks another device). A timer of the
// library's runs the timer thread's step, StepLiveGame, on the logic timer's grid of 16 ms
// (tick_schedule.h), and the device's callback is FillAudio itself, each called from a thin
// wrapper that reads the clock and the counts of the cue ring: the tick that wrote a cue
// and the buffer that took it are matched by the cue's number in the ring. The latency runs
// from the start of the tick to the start of the buffer, whose first sample starts the
// cue's sound. Games are played with soft drop held from the start until they end; the audio
// thread's CPU time is read from /proc/<id>/schedstat over each game, then over slices of
// standing still at GAMEOVER, where nothing plays.
#include "observe.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "cue_ring.h"
#include "logic_timer.h"
#include "snapshot.h"
#include "sound_device.h"
#include "tick_schedule.h"

namespace {
constexpr int Games = 6;
constexpr int StillSlices = 3;
constexpr auto StillSlice = 5s;
constexpr std::size_t MostRecords = 4096;

struct Stamp {
    double at = 0;                  // steady-clock seconds
    std::uint32_t from = 0, to = 0; // cue numbers [from, to) in the ring
};

// Each list is written by one thread and read by the main thread once that thread has stopped
// (the timer removed and a tick's time waited out; the device closed).
struct Stamps {
    std::array<Stamp, MostRecords> stamps;
    std::atomic<std::size_t> count{0};

    void add(const Stamp& stamp) {
        const std::size_t n = count.load(std::memory_order_relaxed);
        if (n < MostRecords && stamp.to != stamp.from) {
            stamps[n] = stamp;
            count.store(n + 1, std::memory_order_release);
        }
    }
};

Stamps Ticks, Buffers;
TickSchedule Schedule;
std::atomic<pid_t> AudioThread{0};

Uint32 TimedTick(Uint32 /*interval*/, void* /*userData*/) {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    const double at = SteadySeconds(BenchClock::now());
    const std::uint32_t from = PendingCues.written.load(std::memory_order_relaxed);
    StepLiveGame();
    Ticks.add({at, from, PendingCues.written.load(std::memory_order_relaxed)});
    return NextTickDelay(Schedule, now);
}

void TimedFillAudio(void* userData, Uint8* stream, int length) {
    const double now = SteadySeconds(BenchClock::now());
    AudioThread.store(static_cast<pid_t>(syscall(SYS_gettid)), std::memory_order_relaxed);
    const std::uint32_t from = PendingCues.taken.load(std::memory_order_relaxed);
    FillAudio(userData, stream, length);
    Buffers.add({now, from, PendingCues.taken.load(std::memory_order_relaxed)});
}

// The time the thread has run, to the nanosecond as the scheduler counts it: the kernel's tick
// counts of /proc/<id>/stat are too coarse for a thread that runs some microseconds a buffer.
double RunSeconds(pid_t thread) {
    std::ifstream schedstat("/proc/self/task/" + std::to_string(thread) + "/schedstat");
    double nanoseconds = 0;
    schedstat >> nanoseconds;
    return nanoseconds / 1e9;
}

GameState Newest() {
    GameState game;
    CopySnapshot(game);
    return game;
}

struct Latencies {
    std::vector<double> all;  // milliseconds from the tick that raised each cue to the buffer
    std::vector<double> calm; // those that no stall of the whole machine fell on
};

// The ring's counts number the cues from 0, and a bench writes far fewer than 2^32.
Latencies Measured(const MachineStalls& watch) {
    std::vector<double> raisedAt;
    for (std::size_t n = 0; n < Ticks.count.load(std::memory_order_acquire); ++n) {
        const Stamp& tick = Ticks.stamps[n];
        raisedAt.resize(tick.to, 0);
        std::fill(raisedAt.begin() + tick.from, raisedAt.end(), tick.at);
    }
    Latencies latencies;
    for (std::size_t n = 0; n < Buffers.count.load(std::memory_order_acquire); ++n) {
        const Stamp& buffer = Buffers.stamps[n];
        for (std::uint32_t cue = buffer.from; cue < buffer.to && cue < raisedAt.size(); ++cue) {
            latencies.all.push_back(1000.0 * (buffer.at - raisedAt[cue]));
            if (!watch.stalledWithin(raisedAt[cue], buffer.at)) {
                latencies.calm.push_back(latencies.all.back());
            }
        }
    }
    return latencies;
}

void PrintLatencies(const std::string& what, const std::vector<double>& values) {
    PrintResult(what, Fixed(Median(values), 1, "ms"), Fixed(Largest(values), 1, "ms"),
                "median <= 6 ms, worst <= 11 ms");
}
} // namespace

int main() {
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    if (SDL_Init(SDL_INIT_TIMER) < 0) {
        std::fprintf(stderr, "audio_bench: %s\n", SDL_GetError());
        return 1;
    }
    StartSound(TimedFillAudio);
    if (SoundDevice == 0) {
        return 1;
    }
    Schedule.frequency = SDL_GetPerformanceFrequency();

    const MachineStalls watch;
    std::vector<double> playing;
    for (int game = 0; game < Games; ++game) {
        LiveGame = GameState::newGame(static_cast<unsigned>(game + 1));
        HeldControls = Down;
        Schedule.started = false;
        while (AudioThread.load() == 0) {
            std::this_thread::sleep_for(1ms);
        }
        const double cpuBefore = RunSeconds(AudioThread);
        const auto start = BenchClock::now();
        const SDL_TimerID timer = SDL_AddTimer(TickPeriodMs, TimedTick, nullptr);
        while (Newest().phase != GAMEOVER) {
            std::this_thread::sleep_for(50ms);
        }
        std::this_thread::sleep_for(1500ms); // the falling tone plays out
        const double seconds = std::chrono::duration<double>(BenchClock::now() - start).count();
        playing.push_back(100.0 * (RunSeconds(AudioThread) - cpuBefore) / seconds);
        if (game + 1 < Games) {
            SDL_RemoveTimer(timer);
            std::this_thread::sleep_for(50ms); // a tick under way ends
        }
    }
    std::vector<double> still;
    for (int slice = 0; slice < StillSlices; ++slice) {
        const double cpuBefore = RunSeconds(AudioThread);
        std::this_thread::sleep_for(StillSlice);
        still.push_back(100.0 * (RunSeconds(AudioThread) - cpuBefore) /
                        std::chrono::duration<double>(StillSlice).count());
    }
    SDL_Quit(); // the timer and the device stop; their records are complete
    const Latencies latencies = Measured(watch);
    std::vector<double> sorted = latencies.all;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) {
        std::fprintf(stderr, "audio_bench: no cue was played\n");
        return 1;
    }
    std::printf("%zu cues over %d games held on soft drop, %zu without a whole-machine stall "
                "(%d stalls over 20 ms, the longest %.0f ms)\n",
                sorted.size(), Games, latencies.calm.size(), watch.count(), watch.longestMs());
    std::printf("tick to buffer: best %.1f ms, median %.1f ms, 90th percentile %.1f ms, worst "
                "%.1f ms; %zu over 11 ms\n",
                sorted.front(), Median(sorted), sorted[sorted.size() * 9 / 10], sorted.back(),
                static_cast<std::size_t>(std::count_if(sorted.begin(), sorted.end(),
                                                       [](double ms) { return ms > 11; })));
    std::printf("audio thread CPU: playing %.2f%% (median of games), at GAMEOVER %.2f%%\n",
                Median(playing), Median(still));
    PrintLatencies("sound: a cue's tick to the start of the buffer that plays it (480-frame "
                   "buffers at 48 kHz, disk driver)",
                   latencies.all);
    PrintLatencies("the same, cues without a whole-machine stall", latencies.calm);
    PrintResult("sound: the audio thread's CPU while a game is played (% of one core, per game)",
                Fixed(Median(playing), 2, "") + "%", Fixed(Largest(playing), 2, "") + "%", "< 1%");
    PrintResult("sound: the audio thread's CPU at GAMEOVER, nothing playing (% of one core)",
                Fixed(Median(still), 2, "") + "%", Fixed(Largest(still), 2, "") + "%", "< 1%");
    return 0;
}
