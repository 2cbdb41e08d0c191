// A game played from a fixed script of held controls, frame by frame, with the pieces dealt by
// the test, and the well, points, level and grade it must end with worked out by hand.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace gametest;

namespace {

struct Placement {
    PieceKind kind;
    std::vector<InputBits> taps; // each held for one frame and released for one
    int dropFrames;              // soft-drop frames until the piece lands and locks
    bool clears;
};

} // namespace

TEST(ScriptedPlay, FivePairsOfOsThenTwoIsAndAnOClearTheRowsTheyFill) {
    // O enters with origin column 3 (cells 4-5) and lands at row 18 after 18 soft-drop frames;
    // a flat I enters at columns 3-6 and lands at row 19 after 19.
    const std::vector<Placement> plan = {
        {PieceO, {Left, Left, Left, Left}, 18, false},    // columns 0-1, rows 19-20
        {PieceO, {Left, Left}, 18, false},                // columns 2-3
        {PieceO, {}, 18, false},                          // columns 4-5
        {PieceO, {Right, Right}, 18, false},              // columns 6-7
        {PieceO, {Right, Right, Right, Right}, 18, true}, // columns 8-9: rows 19 and 20 clear
        {PieceI, {Left, Left, Left}, 19, false},          // row 20, columns 0-3
        {PieceI, {Right}, 19, false},                     // row 20, columns 4-7
        {PieceO, {Right, Right, Right, Right}, 18, true}, // columns 8-9: row 20 clears
        {PieceT, {RotateCcw, RotateCcw, Left, Left, Left}, 18, false}, // pointing up, columns 0-2
    };
    const PieceKind last = PieceL;

    // READYGO ends with the first entry in its 170th frame; after each lock, the next piece
    // enters in the 30th frame, or the 71st when rows clear.
    std::vector<InputBits> script(ReadyFrames, 0);
    std::vector<std::size_t> entryFrames = {ReadyFrames - 1};
    for (const Placement& placement : plan) {
        script.push_back(0); // the first ACTIVE frame, in which no shift happens
        for (InputBits tap : placement.taps) {
            script.push_back(tap);
            script.push_back(0);
        }
        script.insert(script.end(), static_cast<std::size_t>(placement.dropFrames), Down);
        script.insert(script.end(), placement.clears ? 71 : 30, 0);
        entryFrames.push_back(script.size() - 1);
    }

    std::vector<PieceKind> deal;
    for (const Placement& placement : plan) {
        deal.push_back(placement.kind);
    }
    deal.push_back(last);
    GameState game = GameState::newGame(99);
    game.nextKind = deal[0];
    std::vector<std::size_t> seenEntries;
    std::vector<GameState> atEntry;
    for (std::size_t frame = 0; frame < script.size(); ++frame) {
        game.tick(script[frame]);
        if (entryHappened(game)) {
            seenEntries.push_back(frame);
            atEntry.push_back(game);
            if (seenEntries.size() < deal.size()) {
                game.nextKind = deal[seenEntries.size()];
            }
        }
    }
    ASSERT_EQ(seenEntries, entryFrames);

    // The fifth O clears rows 19-20 from level 4 (four pieces): L1 = 6, 18 soft-drop frames,
    // combo 3, two rows, empty well: (ceil(6 / 4) + 18) x 3 x 2 x 4 = 480; the delay adds 1.
    const GameState& afterFirstClear = atEntry[5];
    EXPECT_EQ(afterFirstClear.score, 480u);
    EXPECT_EQ(afterFirstClear.level, 7u);
    EXPECT_EQ(afterFirstClear.grade, 1u);
    EXPECT_EQ(afterFirstClear.allClearFactor, 4u);
    EXPECT_EQ(drawBoard(afterFirstClear.board), drawBoard(emptyBoard()));

    // The last O clears row 20 from level 9: (ceil(10 / 4) + 18) x 1 x 1 x 1 = 21.
    const GameState& afterSecondClear = atEntry[8];
    EXPECT_EQ(afterSecondClear.score, 501u);
    EXPECT_EQ(afterSecondClear.level, 11u);
    EXPECT_EQ(afterSecondClear.allClearFactor, 1u);
    EXPECT_EQ(drawBoard(afterSecondClear.board), drawBoard(boardFromBottom({"........OO"})));

    EXPECT_EQ(game.phase, ACTIVE);
    EXPECT_EQ(game.activeKind, last);
    EXPECT_EQ(game.pieceColumn, EntryColumn);
    EXPECT_EQ(game.pieceRow, EntryRow);
    EXPECT_EQ(drawBoard(game.board), drawBoard(boardFromBottom({".T........", "TTT.....OO"})));
    EXPECT_EQ(game.score, 501u);
    EXPECT_EQ(game.level, 12u);
    EXPECT_EQ(game.grade, 1u) << "501 is above 400, not above 800";
    EXPECT_EQ(game.gravityIndex, 0u);
    EXPECT_EQ(game.frameCount, script.size() - ReadyFrames);
}
