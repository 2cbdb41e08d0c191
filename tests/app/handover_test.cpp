// The hand-over of each tick from the timer thread to the main thread, with both as busy as
// they can be: every copy the main thread takes must be one whole tick, in order, and the last.
// The timer thread takes no lock that an allocation might wait on: it allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "live_recording.h"
#include "logic_timer.h"
#include "snapshot.h"

// Every allocation, counted on the thread that makes it.
static thread_local int Allocations = 0;
// clang-format off
void* operator new(std::size_t size) { ++Allocations; return std::malloc(size + 1); } // never null
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
// clang-format on

TEST(HandOver, TheMainThreadSeesOnlyWholeTicksInOrderAndTheLastOne) {
    GameState seen;
    EXPECT_FALSE(CopySnapshot(seen)) << "nothing is handed over before the first tick";

    // The tick's number rides above the eight control bits and comes back as prevControls.
    constexpr std::uint32_t Ticks = 20000;
    auto controls = [](unsigned n) { return n << 8 | (n % 7 ? Down : n % 3 ? Left : RotateCw); };
    std::vector<GameState> expected;
    GameState replay = GameState::newGame(3);
    for (std::uint32_t n = 0; n < Ticks; ++n) {
        expected.push_back(replay.tick(controls(n)));
    }
    LiveGame = GameState::newGame(3);
    std::atomic<bool> done{false};
    std::thread timer([&] {
        for (std::uint32_t n = 0; n < Ticks; ++n) {
            HeldControls = controls(n);
            StepLiveGame();
        }
        done = true;
    });
    std::uint32_t newest = 0;
    for (bool finished = false; !finished;) {
        finished = done;
        if (RedrawPending.exchange(false) && CopySnapshot(seen)) {
            const std::uint32_t n = seen.prevControls >> 8;
            if (!(n < Ticks && n >= newest && seen == expected[n])) {
                ADD_FAILURE() << "tick " << n << " after " << newest << " is not whole or in order";
                break;
            }
            newest = n;
        }
    }
    timer.join();
    EXPECT_EQ(newest, Ticks - 1);
}

// Spins until the condition holds, for a minute at most: a fault that never lets it hold fails
// the test instead of hanging it.
template <class Condition>
static bool Eventually(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    bool held = false;
    while (!(held = condition()) && std::chrono::steady_clock::now() < end) {
    }
    return held;
}

// The main thread asks for new games while the timer thread ticks as fast as it can with S held;
// each game comes back at its end, once, recorded whole: played back from its seed it reaches
// the result the timer thread saw, and it was recorded from its first tick on.
TEST(HandOver, ANewGameAskedForIsBuiltOnTheTimerThreadAndComesBackRecordedWhole) {
    std::atomic<bool> stop{false};
    int timerAllocations = 0;
    std::thread timer([&] {
        while (!stop) {
            HeldControls = Down;
            StepLiveGame();
        }
        timerAllocations = Allocations;
    });
    FinishedGame finished;
    for (unsigned seed : {11u, 12u, 13u}) {
        if (!Eventually([&] { return RequestNewGame(seed); }) ||
            !Eventually([&] { return TakeFinishedGame(finished); })) {
            ADD_FAILURE() << "seed " << seed << " was not asked for or never came back";
            break;
        }
        // A game that had ended before the new one was built is handed over no more.
        EXPECT_EQ(finished.seed, seed);
        const Replay replay{seed, "", "", finished.result, finished.runs};
        const GameState end = PlayThrough(replay);
        EXPECT_EQ(ResultOf(end), finished.result);
        EXPECT_EQ(end.phase, GAMEOVER);
        EXPECT_EQ(end.prevPhase, ARE) << "the tick that ended the game is the last recorded";
    }
    stop = true;
    timer.join();
    EXPECT_EQ(timerAllocations, 0) << "no tick allocates, nor a new game or a hand-over";
    EXPECT_FALSE(TakeFinishedGame(finished)) << "each game once";
    EXPECT_TRUE(RequestNewGame(99));
    EXPECT_FALSE(RequestNewGame(98)) << "one request at a time";
    EXPECT_NE(FreshSeed(), FreshSeed()) << "the clock's counter has moved on";
}

// A game is recorded for as long as the longest replay, and one a tick longer is played on but
// not kept.
TEST(HandOver, AGameIsKeptUpToTheLongestReplayAndOneATickLongerIsNot) {
    GameState live;
    FinishedGame kept;
    for (const std::uint32_t ticks : {MaxReplayTicks, MaxReplayTicks + 1}) {
        RequestNewGame(7); // unless the test before left a request, which serves as well
        StartRequestedGame(live);
        // clang-format off
        for (std::uint32_t n = 0; n < ticks; ++n) ControlsForTick(Down);
        // clang-format on
        live.phase = GAMEOVER;
        HandOverEndedGame(live);
        EXPECT_EQ(TakeFinishedGame(kept), ticks == MaxReplayTicks) << ticks;
    }
    EXPECT_TRUE(kept.runs.size() == 1 && kept.runs[0].ticks == MaxReplayTicks);
}
