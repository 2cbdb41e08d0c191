// A whole game played by holding S: every piece falls straight down in the middle of the well
// until one cannot enter. The figures on the screen must then agree with each other, and the
// picture must stay as it is.
#include "play_helpers.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(WholeGame, SoftDroppingEveryPieceEndsInGameOverWithFiguresThatAgree) {
    GameSession game;
    ASSERT_TRUE(game.waitFor(ShowsGame, 10s));
    game.press("s");
    // Each piece passes through the entry delay, where nothing but the settled cells is drawn:
    // there the cells tell how many pieces have locked, and the level must keep up with them.
    // Pieces that all enter in columns 3 to 6 never fill a row, so no cell is ever cleared.
    std::size_t locked = 0;
    unsigned lastLevel = 0;
    std::string trouble;
    const auto over = game.waitFor(
        [&](const ScreenReading& r) {
            if (!ShowsGame(r)) {
                return false;
            }
            const auto level = DisplayedNumber(r.level);
            if (!level || *level < lastLevel || *level > lastLevel + 1) {
                trouble += "level '" + r.level + "' after " + std::to_string(lastLevel) + "\n";
            }
            lastLevel = level.value_or(lastLevel);
            if (r.phase == "ARE") {
                const std::size_t cells = FilledCells(r).size();
                if (cells % 4 != 0 || cells / 4 < locked) {
                    trouble += "in the entry delay\n" + BoardText(r);
                }
                locked = cells / 4;
                // The level steps in the 25th of the 26 frames of the delay.
                if (lastLevel + 1 != locked && lastLevel != locked) {
                    trouble += std::to_string(locked) + " pieces at level " + r.level + "\n";
                }
            }
            return r.phase == "GAMEOVER";
        },
        90s);
    game.release("s");
    ASSERT_TRUE(over) << "phase " << game.lastReading().phase << "\n"
                      << Describe(game.lastReading());
    EXPECT_EQ(trouble, "");

    ASSERT_GE(locked, 5u) << "a stack in the middle holds more pieces";
    const unsigned score = *DisplayedNumber(over->points);
    EXPECT_EQ(score, 0u) << "no row was filled";
    EXPECT_EQ(DisplayedNumber(over->level), locked) << "one level for each piece";
    EXPECT_EQ(over->grade, GradeForScore(score));
    EXPECT_EQ(DisplayedNumber(over->index), GravityIndexForLevel(locked));

    // Nothing moves any more: the same picture, down to the pixel, while the window is open.
    std::this_thread::sleep_for(100ms);
    const Picture final = game.picture();
    ASSERT_FALSE(final.empty());
    const auto end = std::chrono::steady_clock::now() + 2s;
    int pictures = 0;
    while (std::chrono::steady_clock::now() < end) {
        const Picture later = game.picture();
        ASSERT_TRUE(later.rgb == final.rgb) << "the picture changed after GAMEOVER";
        ++pictures;
        PauseBetweenLooks();
    }
    EXPECT_GT(pictures, 10);
    EXPECT_TRUE(game.process().running());
}

} // namespace
