// The start of a run as a player sees it: a black window of 960 by 720, the ready display with
// its first preview, and after 170 ticks (2.72 s) the first piece at the top of the well.
#include "game_session.h"
#include "well_cells.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

bool IsFirstPieceKind(int kind) {
    // Z, S and O never come first or second.
    return kind == KindI || kind == KindT || kind == KindL || kind == KindJ;
}

TEST(Start, TheWindowIsBlackThenShowsReadyThenTheFirstPieceAfterAbout2point7Seconds) {
    const StallWatch watch;
    GameSession game;
    EXPECT_EQ(game.windowSize().width, 960);
    EXPECT_EQ(game.windowSize().height, 720);

    int blackPictures = 0;
    std::optional<ScreenReading> ready;
    Clock::time_point readySeen;
    const auto deadline = Clock::now() + 15s;
    while (!ready && Clock::now() < deadline) {
        const Picture picture = game.picture();
        const ScreenReading reading = ReadScreen(picture);
        if (Recognised(reading) && reading.phase == "READYGO") {
            ready = reading;
            readySeen = Clock::now();
            GiveTheGamePrecedence(game);
        } else {
            ASSERT_TRUE(IsBlack(picture))
                << "before the ready display, phase '" << reading.phase << "'\n"
                << BoardText(reading);
            ++blackPictures;
        }
        PauseBetweenLooks();
    }
    ASSERT_TRUE(ready) << "no ready display";
    EXPECT_GT(blackPictures, 0) << "the window showed the game at once";
    EXPECT_TRUE(ready->wellFrame);
    EXPECT_TRUE(FilledCells(*ready).empty()) << BoardText(*ready);
    EXPECT_TRUE(IsFirstPieceKind(ready->nextKind)) << "next kind " << ready->nextKind;
    EXPECT_TRUE(PreviewShows(*ready, ready->nextKind));
    EXPECT_EQ(ready->frames, "      0");

    const auto active = game.waitForActive(6s);
    ASSERT_TRUE(active) << "phase " << game.lastReading().phase;
    // The frame counter starts with the entry: a first picture that counts k frames was drawn
    // at least k ticks after it.
    const Clock::time_point entry =
        Clock::now() - std::chrono::milliseconds(16 * DisplayedNumber(active->frames).value_or(0));
    // The ready display is drawn from tick 1 on and the piece enters in tick 170, 2.72 s after
    // the clock started, which was after the window appeared. The first ready picture can come
    // later than tick 1, while the renderer warms up, but never earlier.
    const double sinceWindow = std::chrono::duration<double>(entry - game.windowShown()).count();
    const double sinceReady = std::chrono::duration<double>(entry - readySeen).count();
    EXPECT_GE(sinceWindow, 170 * 0.016 - 0.01);
    EXPECT_LE(sinceReady, 169 * 0.016 + 0.12 + watch.framesAtRisk() * 0.016)
        << watch.stalls() << " stalls of the machine, " << watch.stalledSeconds() << " s";

    // The previewed piece enters at column 3, row 0, rotation 0: its cells in rows 1 and 2.
    EXPECT_EQ(RowOfPiece(*active, {}, ready->nextKind, 0, 3), 0) << BoardText(*active);
    EXPECT_TRUE(IsFirstPieceKind(active->nextKind)) << "next kind " << active->nextKind;
    EXPECT_TRUE(PreviewShows(*active, active->nextKind));
}

} // namespace
