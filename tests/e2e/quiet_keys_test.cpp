// Keys outside the eight controls, and W, whose control no rule reads: pressing them changes
// nothing in the game and does not end the run.
#include "play_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(QuietKeys, EscapeEnterTheArrowsAndWChangeNothingAndDoNotEndTheRun) {
    GameSession game;
    const auto piece = WaitForPiece(game, {}, 2);
    ASSERT_TRUE(piece) << Describe(game.lastReading());
    const int kind = piece->kind;
    const Placement at = piece->at;
    for (const char* key : {"Escape", "Return", "Left", "Right", "Up", "Down", "w"}) {
        const unsigned before = *DisplayedNumber(game.read().frames);
        game.tap(key, 150ms);
        // The piece keeps its column and rotation (it only falls) and nothing else appears.
        const auto after = game.waitFor(
            [&](const ScreenReading& r) {
                return Recognised(r) && DisplayedNumber(r.frames) >= before + 20;
            },
            3s);
        ASSERT_TRUE(after) << key;
        EXPECT_EQ(after->phase, "ACTIVE") << key;
        EXPECT_TRUE(RowOfPiece(*after, {}, kind, at.rotation, at.column)) << key << "\n"
                                                                          << BoardText(*after);
        EXPECT_EQ(after->nextKind, piece->reading.nextKind) << key;
        ASSERT_TRUE(game.process().running()) << key;
    }
    EXPECT_EQ(game.read().level, "      0");
    EXPECT_EQ(game.read().points, "      0");
    // Meanwhile a mapped key still gets through.
    EXPECT_TRUE(game.tapUntil(
        "d",
        [&](const ScreenReading& r) {
            return Recognised(r) && ColumnOfPiece(r, {}, kind, at.rotation) == at.column + 1;
        },
        120ms, 2s));
}

} // namespace
