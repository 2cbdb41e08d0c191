// The sound's latency and cost, in the program's own code on a real audio device thread: the
// media library's disk driver writing to /dev/null paces the device as a sound card does, one
// buffer of 480 frames every 10 ms (SDL_AUDIODRIVER picks another device). A timer of the
// library's runs the timer thread's step, StepLiveGame, on the logic timer's grid of 16 ms
// (tick_schedule.h), and the device's callback is FillAudio itself, each called from a thin
// wrapper that reads the clock and the counts of the cue ring: the tick that wrote a cue
// and the buffer that took it are matched by the cue's number in the ring. The latency runs
// from the start of the tick to the start of the buffer, whose first sample starts the
// cue's sound. Games are played with soft drop held from the start until they end; the audio
// thread's CPU time is read from /proc over each game, then over slices of standing still at
// GAMEOVER, where nothing plays.
#include "observe.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
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
    std::uint64_t at = 0;           // performance counter
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
    const std::uint32_t from = PendingCues.written.load(std::memory_order_relaxed);
    StepLiveGame();
    Ticks.add({now, from, PendingCues.written.load(std::memory_order_relaxed)});
    return NextTickDelay(Schedule, now);
}

void TimedFillAudio(void* userData, Uint8* stream, int length) {
    const std::uint64_t now = SDL_GetPerformanceCounter();
    AudioThread.store(static_cast<pid_t>(syscall(SYS_gettid)), std::memory_order_relaxed);
    const std::uint32_t from = PendingCues.taken.load(std::memory_order_relaxed);
    FillAudio(userData, stream, length);
    Buffers.add({now, from, PendingCues.taken.load(std::memory_order_relaxed)});
}

GameState Newest() {
    GameState game;
    CopySnapshot(game);
    return game;
}

// Milliseconds from the tick that raised each cue to the buffer that took it. The ring's counts
// number the cues from 0, and a bench writes far fewer than 2^32.
std::vector<double> Latencies() {
    const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    std::vector<std::uint64_t> raisedAt;
    for (std::size_t n = 0; n < Ticks.count.load(std::memory_order_acquire); ++n) {
        const Stamp& tick = Ticks.stamps[n];
        raisedAt.resize(tick.to, 0);
        std::fill(raisedAt.begin() + tick.from, raisedAt.end(), tick.at);
    }
    std::vector<double> latencies;
    for (std::size_t n = 0; n < Buffers.count.load(std::memory_order_acquire); ++n) {
        const Stamp& buffer = Buffers.stamps[n];
        for (std::uint32_t cue = buffer.from; cue < buffer.to && cue < raisedAt.size(); ++cue) {
            latencies.push_back(1000.0 * static_cast<double>(buffer.at - raisedAt[cue]) /
                                frequency);
        }
    }
    return latencies;
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

    std::vector<double> playing;
    for (int game = 0; game < Games; ++game) {
        LiveGame = GameState::newGame(static_cast<unsigned>(game + 1));
        HeldControls = Down;
        Schedule.started = false;
        while (AudioThread.load() == 0) {
            std::this_thread::sleep_for(1ms);
        }
        const double cpuBefore = CpuSeconds(AudioThread);
        const auto start = BenchClock::now();
        const SDL_TimerID timer = SDL_AddTimer(TickPeriodMs, TimedTick, nullptr);
        while (Newest().phase != GAMEOVER) {
            std::this_thread::sleep_for(50ms);
        }
        std::this_thread::sleep_for(1500ms); // the falling tone plays out
        const double seconds = std::chrono::duration<double>(BenchClock::now() - start).count();
        playing.push_back(100.0 * (CpuSeconds(AudioThread) - cpuBefore) / seconds);
        if (game + 1 < Games) {
            SDL_RemoveTimer(timer);
            std::this_thread::sleep_for(50ms); // a tick under way ends
        }
    }
    std::vector<double> still;
    for (int slice = 0; slice < StillSlices; ++slice) {
        const double cpuBefore = CpuSeconds(AudioThread);
        std::this_thread::sleep_for(StillSlice);
        still.push_back(100.0 * (CpuSeconds(AudioThread) - cpuBefore) /
                        std::chrono::duration<double>(StillSlice).count());
    }
    SDL_Quit(); // the timer and the device stop; their records are complete
    const std::vector<double> latencies = Latencies();

    std::printf("%zu cues over %d games held on soft drop; %zu ticks raised some, %zu buffers "
                "took some\n",
                latencies.size(), Games, Ticks.count.load(), Buffers.count.load());
    std::printf("audio thread CPU: playing %.2f%% (median of games), at GAMEOVER %.2f%%\n",
                Median(playing), Median(still));
    PrintResult("sound: a cue's tick to the start of the buffer that plays it (480-frame "
                "buffers at 48 kHz, disk driver)",
                Fixed(Median(latencies), 1, "ms"), Fixed(Largest(latencies), 1, "ms"),
                "median <= 6 ms, worst <= 11 ms");
    PrintResult("sound: the audio thread's CPU while a game is played (% of one core, per game)",
                Fixed(Median(playing), 2, "") + "%", Fixed(Largest(playing), 2, "") + "%", "< 1%");
    PrintResult("sound: the audio thread's CPU at GAMEOVER, nothing playing (% of one core)",
                Fixed(Median(still), 2, "") + "%", Fixed(Largest(still), 2, "") + "%", "< 1%");
    return latencies.empty() ? 1 : 0;
}
