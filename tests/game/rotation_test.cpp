// Rotation of the active piece: new presses, the centre-column rule, wall kicks, and the initial
// rotation that a held control gives a piece as it enters.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace gametest;

namespace {

// Rotation index and column of the piece.
using Placement = std::pair<std::uint32_t, int>;

Placement afterPress(GameState game, InputBits press) {
    game.tick(press);
    return {game.pieceRotation, game.pieceColumn};
}

// The first piece of a seeded game, entering under the given controls.
GameState firstPieceEntering(InputBits throughReady, InputBits atEntry) {
    GameState game = GameState::newGame(17);
    run(game, ReadyFrames - 1, throughReady);
    game.tick(atEntry);
    return game;
}

} // namespace

TEST(Rotation, NewPressesTurnThePieceAndHeldOrOpposedControlsDoNot) {
    GameState game = activeState(PieceT, 4, 5);
    // Held controls count once; RotateCcw2 pressed while RotateCcw is held is a new press;
    // clockwise from 0 is 3; RotateCw with either counter-clockwise control turns nothing.
    const std::vector<InputBits> controls = {RotateCcw, RotateCcw,  RotateCcw | RotateCcw2,
                                             0,         RotateCcw2, 0,
                                             RotateCw,  0,          RotateCw,
                                             0,         RotateCw,   0,
                                             RotateCw,  0,          RotateCw | RotateCcw,
                                             RotateCcw, 0,          RotateCcw2 | RotateCw,
                                             RotateCw,  0,          RotateCcw};
    const std::vector<std::uint32_t> rotations = {1, 1, 2, 2, 3, 3, 2, 2, 1, 1, 0,
                                                  0, 3, 3, 3, 3, 3, 3, 3, 3, 0};
    for (std::size_t frame = 0; frame < controls.size(); ++frame) {
        game.tick(controls[frame]);
        EXPECT_EQ(game.pieceRotation, rotations[frame]) << "frame " << frame;
        EXPECT_FALSE(game.rotateHeld) << "ACTIVE does not keep rotateHeld";
    }
    EXPECT_EQ(game.pieceColumn, 4);
    EXPECT_EQ(game.pieceRow, 5);
}

TEST(Rotation, IAndONeverKickButOtherKindsDo) {
    // A vertical I in column 1 (origin -1) or column 9 (origin 7) cannot lie down.
    EXPECT_EQ(afterPress(activeState(PieceI, -1, 5, 1), RotateCcw), (Placement{1, -1}));
    EXPECT_EQ(afterPress(activeState(PieceI, 7, 5, 1), RotateCw), (Placement{1, 7}));
    EXPECT_EQ(afterPress(activeState(PieceO, -1, 18, 0), RotateCcw), (Placement{1, -1}));
    // A T pointing right against the left wall turns up by a kick to the right.
    EXPECT_EQ(afterPress(activeState(PieceT, -1, 5, 1), RotateCcw), (Placement{2, 0}));
}

TEST(Rotation, ABlockInTheMiddleColumnWithEmptyOuterColumnsRefusesTheTurn) {
    // A T in rotation 0 with its box at (4, 10).
    const Board middle = withBlock(emptyBoard(), 5, 10);
    EXPECT_EQ(afterPress(activeState(PieceT, 4, 10, 0, middle), RotateCw), (Placement{0, 4}));
    // A block in an outer column lifts the rule: the right kick hits it, the left one fits.
    const Board outer = withBlock(middle, 6, 12);
    EXPECT_EQ(afterPress(activeState(PieceT, 4, 10, 0, outer), RotateCw), (Placement{3, 3}));
    const Board blocked = withBlock(outer, 3, 11);
    EXPECT_EQ(afterPress(activeState(PieceT, 4, 10, 0, blocked), RotateCw), (Placement{0, 4}));

    // L and J turning into the same middle block.
    EXPECT_EQ(afterPress(activeState(PieceL, 4, 10, 0, middle), RotateCcw), (Placement{0, 4}));
    EXPECT_EQ(afterPress(activeState(PieceJ, 4, 10, 0, middle), RotateCw), (Placement{0, 4}));
}

TEST(Rotation, ACollidingTurnTriesOneColumnRightThenOneLeft) {
    // A Z in rotation 0 at (4, 10) standing up hits (6, 10), in an outer column of its box.
    const Board corner = withBlock(emptyBoard(), 6, 10);
    EXPECT_EQ(afterPress(activeState(PieceZ, 4, 10, 0, corner), RotateCcw), (Placement{1, 5}))
        << "both kicks fit; the right one is tried first";
    const Board rightBlocked = withBlock(corner, 7, 11);
    EXPECT_EQ(afterPress(activeState(PieceZ, 4, 10, 0, rightBlocked), RotateCcw),
              (Placement{1, 3}));
    const Board bothBlocked = withBlock(rightBlocked, 4, 12);
    EXPECT_EQ(afterPress(activeState(PieceZ, 4, 10, 0, bothBlocked), RotateCw), (Placement{0, 4}));
}

TEST(Rotation, BoxCellsBeyondAWallCountAsFilledSoTheKicksAreTried) {
    // A vertical Z at origin -1 fills columns 0 and 1; a block above it in column 0 lies in the
    // middle column of its box, whose left column is the wall.
    for (int row : {5, 0}) {
        const Board above = withBlock(emptyBoard(), 0, row);
        EXPECT_EQ(afterPress(activeState(PieceZ, -1, row, 1, above), RotateCcw), (Placement{2, 0}))
            << "row " << row;
        EXPECT_EQ(afterPress(activeState(PieceZ, -1, row, 1, above), RotateCw), (Placement{0, 0}))
            << "row " << row;
    }
    // A vertical S at origin 8 fills columns 8 and 9; the box's right column is the wall.
    for (int row : {5, 18}) {
        const Board above = withBlock(emptyBoard(), 9, row);
        EXPECT_EQ(afterPress(activeState(PieceS, 8, row, 1, above), RotateCcw), (Placement{2, 7}))
            << "row " << row;
    }
}

TEST(Rotation, AControlHeldAtEntryTurnsTheEnteringPieceWithoutAKick) {
    EXPECT_EQ(firstPieceEntering(RotateCcw, RotateCcw).pieceRotation, 1u);
    EXPECT_EQ(firstPieceEntering(0, RotateCcw2).pieceRotation, 1u);
    EXPECT_EQ(firstPieceEntering(0, RotateCw).pieceRotation, 3u);
    EXPECT_EQ(firstPieceEntering(0, RotateCw | RotateCcw2).pieceRotation, 0u);
    EXPECT_EQ(firstPieceEntering(RotateCcw, 0).pieceRotation, 0u)
        << "only the controls of the entry frame count";

    GameState held = firstPieceEntering(RotateCcw, RotateCcw);
    EXPECT_FALSE(held.rotateHeld);
    run(held, 5, RotateCcw);
    EXPECT_EQ(held.pieceRotation, 1u) << "holding on is no new press";

    // In ARE, a T whose turned shape would hit (4, 0) enters unturned, at its own column.
    GameState blocked = areState(EntryDelayFrames - 1, PieceT, withBlock(emptyBoard(), 4, 0));
    blocked.tick(RotateCcw);
    EXPECT_EQ(blocked.phase, ACTIVE);
    EXPECT_EQ(blocked.pieceRotation, 0u);
    EXPECT_EQ(blocked.pieceColumn, EntryColumn);
    EXPECT_FALSE(blocked.rotateHeld);

    GameState turned = areState(EntryDelayFrames - 1, PieceJ);
    turned.tick(RotateCw);
    EXPECT_EQ(turned.pieceRotation, 3u);
}
