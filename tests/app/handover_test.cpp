// The hand-over between the logic thread and the main thread, under as much contention as two
// threads can make: one ticks the live game as fast as it can, the other copies snapshots the
// way the main loop does, and every copy must be one whole tick.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "logic_timer.h"
#include "snapshot.h"

namespace {
constexpr std::uint32_t Ticks = 20000;
constexpr unsigned GameSeed = 31337;

// The controls of tick n: the rules read only the low eight bits, so the tick's number rides
// above them and comes back in the snapshot as prevControls, the tick's signature. The low
// bits drop, shift and turn the pieces so that the game goes through all its phases.
InputBits ControlsOf(std::uint32_t n) {
    const std::uint32_t mix = n * 2654435761u >> 16;
    InputBits controls = (mix & 3) != 0 ? Down : 0;
    controls |= (n / 40 % 3 == 0) ? Left : (n / 40 % 3 == 1) ? Right : 0;
    controls |= (mix & 0x30) == 0x30 ? RotateCw : 0;
    return controls | n << 8;
}

std::uint32_t TickOf(const GameState& snapshot) {
    return snapshot.prevControls >> 8;
}

testing::AssertionResult IsWholeTick(const GameState& seen, const std::vector<GameState>& expected,
                                     std::uint32_t newest, std::uint32_t lastFrameCount) {
    if (seen.clearedRows.size() != 4 || seen.pieceHistory.size() != 4) {
        return testing::AssertionFailure() << "the lists lost their four entries";
    }
    const std::uint32_t n = TickOf(seen);
    if (n >= expected.size()) {
        return testing::AssertionFailure() << "signature " << n << " belongs to no tick";
    }
    if (n < newest || seen.frameCount < lastFrameCount) {
        return testing::AssertionFailure() << "tick " << n << " came after tick " << newest;
    }
    if (seen != expected[n]) {
        return testing::AssertionFailure()
               << "the snapshot signed by tick " << n << " mixes it with another";
    }
    return testing::AssertionSuccess();
}
} // namespace

TEST(SnapshotHandOver, TheMainThreadOnlyEverSeesWholeTicksAndNeverLosesTheLast) {
    GameState seen;
    seen.score = 4242;
    EXPECT_FALSE(CopySnapshot(seen)) << "nothing is published before the first tick";
    EXPECT_EQ(seen.score, 4242u);

    // The same game with the same controls and the same random draws, replayed on this
    // thread first: what each tick must look like.
    std::vector<GameState> expected;
    expected.reserve(Ticks);
    GameState replay = GameState::newGame(GameSeed);
    for (std::uint32_t n = 0; n < Ticks; ++n) {
        expected.push_back(replay.tick(ControlsOf(n)));
    }
    ASSERT_EQ(replay.phase, GAMEOVER) << "the controls should play a game to its end";

    LiveGame = GameState::newGame(GameSeed);
    std::atomic<bool> logicDone{false};
    std::thread logic([&logicDone] {
        for (std::uint32_t n = 0; n < Ticks; ++n) {
            HeldControls.store(ControlsOf(n));
            StepLiveGame();
        }
        logicDone.store(true, std::memory_order_release);
    });

    std::uint32_t newest = 0;
    std::uint32_t lastFrameCount = 0;
    std::uint32_t draws = 0;
    for (;;) {
        const bool finished = logicDone.load(std::memory_order_acquire);
        // As the main loop: clear the request, then take the frame to draw. The request is
        // up from the start, before any frame exists; that first picture is the clear colour.
        if (RedrawPending.exchange(false, std::memory_order_acquire) && CopySnapshot(seen)) {
            const testing::AssertionResult whole =
                IsWholeTick(seen, expected, newest, lastFrameCount);
            if (!whole) {
                ADD_FAILURE() << whole.message();
                break;
            }
            newest = TickOf(seen);
            lastFrameCount = seen.frameCount;
            ++draws;
        }
        // The pass that sees the logic thread done still draws its last request.
        if (finished) {
            break;
        }
    }
    logic.join();

    EXPECT_EQ(newest, Ticks - 1) << "the last tick's redraw request was lost";
    EXPECT_LE(draws, Ticks);
    EXPECT_TRUE(SnapshotReady.load());
}
