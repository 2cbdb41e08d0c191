// A quit request that comes in any phase of the game ends the run within a second with status
// 0: the ready pause, a falling piece, the flash of a piece that has just locked, a line clear,
// the entry delay and the end of the game. Half of them terminate the process, the other half
// ask the window to close.
//
// The short phases are caught as they begin: the request goes out at once when the screen shows
// the phase with a frame count so close to the last count of the phase before that at least two
// frames of it are still to come.
#include "robustness_play.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

enum class Request { Sigterm, Close };

void Send(GameSession& game, Request request) {
    if (request == Request::Sigterm) {
        game.process().signal(SIGTERM);
    } else {
        game.x().requestClose(game.window());
    }
}

void ExpectTheRunEndsWithin1sWithStatus0(GameSession& game) {
    const auto status = game.process().waitForExit(1s);
    ASSERT_TRUE(status) << "still running a second after the request";
    EXPECT_EQ(*status, 0);
}

// Reads the screen until it shows the phase early enough that `framesLeft` more of its frames
// are still to come, then sends the request at once. The phase lasts `frames` frames from the
// first that shows it. Whether the request went out; `seen` collects the phases passed.
bool RequestWhileShowing(GameSession& game, const std::string& phase, unsigned frames,
                         Request request, std::chrono::milliseconds limit, std::string& seen) {
    constexpr unsigned FramesLeft = 2;
    std::optional<unsigned> before; // the count in the last reading of another phase
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const ScreenReading r = game.read();
        const auto count = DisplayedNumber(r.frames);
        if (!ShowsGame(r) || !count) {
            PauseBetweenLooks();
            continue;
        }
        if (seen.empty() || seen.compare(seen.rfind(' ') + 1, std::string::npos, r.phase) != 0) {
            seen += " " + r.phase;
        }
        if (r.phase != phase) {
            before = count;
        } else if (before && *count + FramesLeft < *before + 1 + frames) {
            Send(game, request);
            return true;
        }
        PauseBetweenLooks();
    }
    return false;
}

TEST(QuitInEveryPhase, ASigtermInTheReadyPauseEndsTheRun) {
    GameSession game;
    // The pause lasts 170 frames from the first tick; any sight of it is early enough.
    ASSERT_TRUE(game.waitFor([](const ScreenReading& r) { return r.phase == "READYGO"; }, 10s));
    Send(game, Request::Sigterm);
    ExpectTheRunEndsWithin1sWithStatus0(game);
}

TEST(QuitInEveryPhase, ACloseRequestWhileAPieceFallsEndsTheRun) {
    GameSession game;
    // At the first level a piece takes over a second to fall one row.
    ASSERT_TRUE(WaitForPiece(game, {}));
    Send(game, Request::Close);
    ExpectTheRunEndsWithin1sWithStatus0(game);
}

// With S held every piece falls straight down and locks, so the lock's phases come round again
// and again until the stack reaches the top: each is a chance to catch one at its start.
void RequestWhileDropping(const std::string& phase, unsigned frames, Request request,
                          std::chrono::milliseconds limit) {
    GameSession game;
    ASSERT_TRUE(WaitForPiece(game, {}));
    game.press("s");
    std::string seen;
    const bool sent = RequestWhileShowing(game, phase, frames, request, limit, seen);
    game.release("s");
    ASSERT_TRUE(sent) << "phases seen:" << seen;
    ExpectTheRunEndsWithin1sWithStatus0(game);
}

TEST(QuitInEveryPhase, ASigtermInTheLockFlashEndsTheRun) {
    RequestWhileDropping("LOCKFLASH", 4, Request::Sigterm, 15s);
}

TEST(QuitInEveryPhase, ASigtermInALineClearEndsTheRun) {
    GameSession game;
    CellSet settled;
    std::string seen;
    std::string trouble;
    // Pieces placed to fill rows, each dropped with S, until one lock completes a row.
    for (int piece = 0; piece < 25; ++piece) {
        const auto active = WaitForNextPiece(game, settled);
        ASSERT_TRUE(active) << "piece " << piece << "\n" << BoardText(game.lastReading());
        const Target target = BestTarget(settled, active->kind);
        ASSERT_TRUE(SteerTo(game, settled, active->kind, target, trouble)) << trouble;
        game.press("s");
        if (target.rowsFilled > 0) {
            const bool sent =
                RequestWhileShowing(game, "LINECLEAR", 41, Request::Sigterm, 5s, seen);
            game.release("s");
            ASSERT_TRUE(sent) << "phases seen:" << seen << "\n" << BoardText(game.lastReading());
            ExpectTheRunEndsWithin1sWithStatus0(game);
            return;
        }
        const auto locked = game.waitFor(
            [](const ScreenReading& r) { return ShowsGame(r) && r.phase != "ACTIVE"; }, 5s);
        game.release("s");
        ASSERT_TRUE(locked) << "the piece did not lock";
        const auto delay = game.waitFor(
            [](const ScreenReading& r) { return ShowsGame(r) && r.phase == "ARE"; }, 2s);
        ASSERT_TRUE(delay);
        settled = FilledCells(*delay);
    }
    FAIL() << "no row filled in 25 pieces\n" << BoardText(game.lastReading());
}

TEST(QuitInEveryPhase, ACloseRequestInTheEntryDelayEndsTheRun) {
    RequestWhileDropping("ARE", 26, Request::Close, 10s);
}

TEST(QuitInEveryPhase, ACloseRequestAfterTheGameIsOverEndsTheRun) {
    GameSession game;
    ASSERT_TRUE(game.waitFor(ShowsGame, 10s));
    // Every piece dropped in the middle of the well: the stack soon reaches the entry.
    game.press("s");
    const auto over = game.waitFor(
        [](const ScreenReading& r) { return ShowsGame(r) && r.phase == "GAMEOVER"; }, 60s);
    game.release("s");
    ASSERT_TRUE(over) << "phase " << game.lastReading().phase;
    Send(game, Request::Close);
    ExpectTheRunEndsWithin1sWithStatus0(game);
}

} // namespace
