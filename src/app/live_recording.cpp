#include "live_recording.h"

#include <SDL.h>

#include <atomic>
#include <ctime>

namespace {
// Runs reserved for a game: a game has no more runs than ticks, and its recording stops at the
// longest replay, so no tick allocates. The reserve is address space until runs are written.
constexpr std::size_t ReservedRuns = MaxReplayTicks;

enum Request : int { NoRequest, NewGame, PlayReplay };

// The request: the main thread fills in the seed or the replay while `Asked` is NoRequest, then
// publishes it with release. The timer thread reads them after its acquire and only then stores
// NoRequest, with release: the main thread, seeing NoRequest with acquire, may write again.
std::atomic<int> Asked{NoRequest};
unsigned int AskedSeed{};
const Replay* AskedReplay = nullptr;

// The hand-over of a finished game: the timer thread fills `Finished` while `FinishedReady` is
// false, then raises it with release; the main thread copies it after its acquire and then
// lowers it with release. Each side touches `Finished` only in its turn.
std::atomic<bool> FinishedReady{false};
FinishedGame Finished = [] {
    FinishedGame game;
    game.runs.reserve(ReservedRuns);
    return game;
}();

// The timer thread's own.
struct Recorder {
    bool recording{}; // a game of the player's is being recorded
    bool ended{};     // it has ended, and waits to be handed over
    unsigned int seed{};
    std::uint32_t ticks{};
    std::vector<ControlRun> runs;
    const Replay* playing = nullptr;
    ReplayCursor cursor;
};
Recorder Timer = [] {
    Recorder recorder;
    recorder.runs.reserve(ReservedRuns);
    return recorder;
}();

// The main thread's side of the request; false while the last one is not taken up yet.
bool Ask(Request request, unsigned int seed, const Replay* replay) {
    if (Asked.load(std::memory_order_acquire) != NoRequest) {
        return false;
    }
    AskedSeed = seed;
    AskedReplay = replay;
    Asked.store(request, std::memory_order_release);
    return true;
}
} // namespace

unsigned int FreshSeed() {
    const auto counter = static_cast<unsigned int>(SDL_GetPerformanceCounter());
    return static_cast<unsigned int>(std::time(nullptr)) ^ (counter * 2654435761u);
}

bool RequestNewGame(unsigned int seed) {
    return Ask(NewGame, seed, nullptr);
}

bool RequestReplay(const Replay& replay) {
    return Ask(PlayReplay, replay.seed, &replay);
}

void StartRequestedGame(GameState& live) {
    if (Asked.load(std::memory_order_acquire) == NoRequest) {
        return;
    }
    Timer.playing = AskedReplay;
    Timer.seed = AskedSeed;
    Asked.store(NoRequest, std::memory_order_release);
    // Seeded here, on the thread that deals: some C libraries keep rand's state per thread.
    live = GameState::newGame(Timer.seed);
    Timer.cursor = {};
    Timer.recording = Timer.playing == nullptr;
    Timer.ended = false;
    Timer.ticks = 0;
    Timer.runs.clear();
}

InputBits ControlsForTick(InputBits held) {
    InputBits controls = held;
    if (Timer.playing != nullptr) {
        // Once the replay's controls are spent, nothing is held.
        if (!NextControls(Timer.playing->runs, Timer.cursor, controls)) {
            controls = 0;
        }
    } else if (Timer.recording && !Timer.ended) {
        // A game longer than any replay may be is played on but not kept.
        if (++Timer.ticks > MaxReplayTicks) {
            Timer.recording = false;
        } else {
            RecordControls(Timer.runs, controls);
        }
    }
    return controls;
}

void HandOverEndedGame(const GameState& live) {
    if (!Timer.recording || live.phase != GAMEOVER) {
        return;
    }
    Timer.ended = true;
    if (FinishedReady.load(std::memory_order_acquire)) {
        return;
    }
    Finished.seed = Timer.seed;
    Finished.result = ResultOf(live);
    Finished.runs.swap(Timer.runs); // both reserved: no allocation on either side
    Timer.recording = false;
    FinishedReady.store(true, std::memory_order_release);
}

bool TakeFinishedGame(FinishedGame& into) {
    if (!FinishedReady.load(std::memory_order_acquire)) {
        return false;
    }
    into.seed = Finished.seed;
    into.result = Finished.result;
    into.runs = Finished.runs;
    FinishedReady.store(false, std::memory_order_release);
    return true;
}
