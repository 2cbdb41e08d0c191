// The window as a desktop treats it: resized, the picture keeps its proportions around the same
// board; interrupted, the run ends within a second with status 0. (The quit scenarios terminate
// and close it in every phase of the game.)
#include "play_helpers.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(Window, AfterAResizeTo1280By720TheFrameStillSurroundsTheSameBoard) {
    GameSession game;
    ASSERT_TRUE(WaitForPiece(game, {}));
    // One piece settled at the floor, so that there is a board worth comparing.
    const auto settledCells = SoftDropAndSettle(game);
    ASSERT_TRUE(settledCells);
    const auto piece = WaitForPiece(game, *settledCells);
    ASSERT_TRUE(piece) << Describe(game.lastReading());

    game.x().resize(game.window(), 1280, 720);
    const auto resized =
        game.waitFor([](const ScreenReading& r) { return r.wellFrame && Recognised(r); }, 5s);
    ASSERT_TRUE(resized) << "no frame seen through the camera of a 1280 by 720 window";
    EXPECT_EQ(game.windowSize().width, 1280);
    EXPECT_EQ(game.windowSize().height, 720);
    EXPECT_EQ(resized->phase, "ACTIVE");
    // The same settled cells and the same piece in the same column; it may have fallen.
    const auto row =
        RowOfPiece(*resized, *settledCells, piece->kind, piece->at.rotation, piece->at.column);
    ASSERT_TRUE(row) << "before:\n"
                     << BoardText(piece->reading) << "after:\n"
                     << BoardText(*resized);
    EXPECT_GE(*row, piece->at.row);
    EXPECT_EQ(resized->nextKind, piece->reading.nextKind);
    EXPECT_EQ(resized->level, piece->reading.level);
    // Read as if the window still had its old shape, the picture no longer makes sense.
    EXPECT_FALSE(ReadScreen(game.picture(), Camera(960, 720)).wellFrame);
}

TEST(Window, SigintEndsTheRunWithinASecondWithStatus0) {
    GameSession game;
    // The game is running, so that the request meets the main loop.
    ASSERT_TRUE(
        game.waitFor([](const ScreenReading& r) { return Recognised(r) && r.wellFrame; }, 10s));
    game.process().signal(SIGINT);
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

} // namespace
