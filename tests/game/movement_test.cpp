// Shifting with auto-repeat, gravity, soft drop and the lock delay of the active piece.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace gametest;

namespace {

std::vector<int> columnsWhileHolding(GameState& game, InputBits controls, int frames) {
    std::vector<int> columns;
    for (int frame = 0; frame < frames; ++frame) {
        columns.push_back(game.tick(controls).pieceColumn);
    }
    return columns;
}

} // namespace

TEST(Shift, AHeldSidewaysControlMovesInItsFirstFrameAndAgainFromTheFourteenth) {
    // An O stands at columns -1 to 7; thirteen frames between the first and the second move.
    GameState right = activeState(PieceO, 0, 5);
    EXPECT_EQ(columnsWhileHolding(right, Right, 20),
              (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 7, 7}));
    EXPECT_EQ(right.shiftRepeat, 20u);
    EXPECT_EQ(right.pieceRow, 5) << "80/256 of a row is not yet a fall";

    GameState left = activeState(PieceO, 7, 5);
    EXPECT_EQ(columnsWhileHolding(left, Left, 21),
              (std::vector<int>{6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 4, 3, 2, 1, 0, -1, -1}));
}

TEST(Shift, OpposingControlsAndTapsFollowTheRepeatCounter) {
    // Both pressed together: Right wins once, then neither counts as a new sideways press.
    GameState both = activeState(PieceO, 3, 5);
    EXPECT_EQ(columnsWhileHolding(both, Left | Right, 5), (std::vector<int>{4, 4, 4, 4, 4}));
    EXPECT_EQ(both.shiftRepeat, 0u);

    // Switching from Right to Left in one frame leaves one frame with the counter at 0.
    GameState switching = activeState(PieceO, 3, 5);
    EXPECT_EQ(columnsWhileHolding(switching, Right, 2), (std::vector<int>{4, 4}));
    EXPECT_EQ(switching.tick(Left).shiftRepeat, 0u);
    EXPECT_EQ(switching.pieceColumn, 4);
    EXPECT_EQ(switching.tick(Left).pieceColumn, 3);

    // Each new press moves at once; a wall stops the move without harm.
    GameState taps = activeState(PieceI, 4, 5);
    for (InputBits controls : {Right, 0u, Right, 0u, Right, 0u}) {
        taps.tick(controls);
    }
    EXPECT_EQ(taps.pieceColumn, 6) << "a horizontal I ends at column 9 from origin 6";
    EXPECT_EQ(taps.tick(Left).pieceColumn, 5);

    // The 16-bit counter wraps to 0, which is no moving count.
    GameState wrapped = activeState(PieceO, 3, 5);
    wrapped.shiftRepeat = 0xFFFF;
    wrapped.prevControls = Right;
    EXPECT_EQ(wrapped.tick(Right).shiftRepeat, 0u);
    EXPECT_EQ(wrapped.pieceColumn, 3);
    EXPECT_EQ(wrapped.tick(Right).pieceColumn, 4);
}

TEST(Shift, APieceNeverShiftsInItsFirstActiveFrameButTheDelayChargesTheRepeat) {
    // Held through READYGO: the counter starts at the entry and the first move needs count 14.
    GameState fromReady = GameState::newGame(3);
    run(fromReady, ReadyFrames, Right);
    EXPECT_EQ(fromReady.shiftRepeat, 0u) << "READYGO leaves the counter alone";
    EXPECT_EQ(columnsWhileHolding(fromReady, Right, 14),
              (std::vector<int>{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4}));

    // Held through ARE: 25 counted delay frames, so the second ACTIVE frame already repeats.
    GameState fromDelay = areState(0, PieceO);
    run(fromDelay, EntryDelayFrames, Right);
    ASSERT_EQ(fromDelay.phase, ACTIVE);
    EXPECT_EQ(fromDelay.shiftRepeat, 25u);
    EXPECT_EQ(columnsWhileHolding(fromDelay, Right, 2), (std::vector<int>{3, 4}));
    EXPECT_EQ(fromDelay.shiftRepeat, 27u);

    // A first-frame press counts 1 but cannot move; holding on, the piece waits for count 14.
    GameState pressedAtEntry = areState(EntryDelayFrames - 1, PieceO);
    pressedAtEntry.tick(0);
    EXPECT_EQ(columnsWhileHolding(pressedAtEntry, Left, 14),
              (std::vector<int>{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2}));
}

TEST(Shift, ControlBitsTheRulesDoNotReadChangeNothing) {
    const InputBits unread = Up | Space | 0xFFFFFF00u;
    std::mt19937 random(5);
    std::vector<InputBits> script;
    for (int frame = 0; frame < 1500; ++frame) {
        script.push_back(random() & (Right | Down | Left | AnyRotate));
    }
    // The two games run one after the other: both draw from the one C library generator.
    GameState plain = GameState::newGame(21);
    std::vector<GameState> plainFrames;
    for (InputBits controls : script) {
        plainFrames.push_back(plain.tick(controls));
    }
    GameState noisy = GameState::newGame(21);
    for (std::size_t frame = 0; frame < script.size(); ++frame) {
        const GameState after = noisy.tick(script[frame] | unread);
        ASSERT_EQ(differingField(after, plainFrames[frame], true), "") << "frame " << frame;
        ASSERT_EQ(after.prevControls, script[frame] | unread);
    }
}

TEST(Gravity, ThePieceFallsByWholeRowsOfTheAccumulatedGravity) {
    // Gravity 144/256 (row 13): the count passes 256 in frames 2, 4, 6, 8, 9 and 11.
    GameState medium = activeState(PieceT, 3, 0);
    medium.gravityIndex = 13;
    std::vector<int> rows;
    std::vector<std::uint32_t> accums;
    for (int frame = 0; frame < 11; ++frame) {
        medium.tick(0);
        rows.push_back(medium.pieceRow);
        accums.push_back(medium.gravityAccum);
    }
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4, 5, 5, 6}));
    EXPECT_EQ(accums,
              (std::vector<std::uint32_t>{144, 32, 176, 64, 208, 96, 240, 128, 16, 160, 48}));

    // Two rows a frame (512) stop at the floor with the rest of the count lost.
    GameState fast = activeState(PieceT, 3, 17);
    fast.gravityIndex = 23;
    fast.tick(0);
    EXPECT_EQ(fast.pieceRow, 18);
    EXPECT_EQ(fast.gravityAccum, 0u);

    // Twenty rows a frame drop the piece onto the stack at once; resting there, it locks in the
    // 30th frame, since a fall that cannot happen does not reset the lock delay.
    GameState drop = activeState(PieceT, 3, 0, 0, withBlock(emptyBoard(), 4, 15));
    drop.gravityIndex = 29;
    drop.tick(0);
    EXPECT_EQ(drop.pieceRow, 12) << "the T's lowest cell rests on the block in row 15";
    EXPECT_EQ(drop.lockDelay, 1u);
    run(drop, 28);
    EXPECT_EQ(drop.phase, ACTIVE);
    drop.tick(0);
    EXPECT_EQ(drop.phase, LOCKFLASH);
}

TEST(SoftDrop, DownMovesOneRowAFrameAndLocksOnLanding) {
    GameState slow = activeState(PieceT, 3, 0);
    for (int frame = 1; frame <= 17; ++frame) {
        slow.tick(Down);
        ASSERT_EQ(slow.pieceRow, frame);
        ASSERT_EQ(slow.phase, ACTIVE);
    }
    slow.tick(Down);
    EXPECT_EQ(slow.pieceRow, 18);
    EXPECT_EQ(slow.phase, LOCKFLASH) << "landing by soft drop locks in the same frame";
    EXPECT_EQ(slow.softDropFrames, 18u);

    // At one row a frame the drop adds no speed, but still counts and locks at once.
    GameState oneRow = activeState(PieceT, 3, 0);
    oneRow.gravityIndex = 22;
    run(oneRow, 5, Down);
    EXPECT_EQ(oneRow.pieceRow, 5);
    EXPECT_EQ(oneRow.softDropFrames, 5u);
    run(oneRow, 12, Down);
    EXPECT_EQ(oneRow.phase, ACTIVE);
    oneRow.tick(Down);
    EXPECT_EQ(oneRow.phase, LOCKFLASH);
    EXPECT_EQ(oneRow.softDropFrames, 18u);

    GameState resting = activeState(PieceO, 3, 18);
    resting.tick(Down);
    EXPECT_EQ(resting.phase, LOCKFLASH) << "a resting piece locks without lock delay";
    EXPECT_EQ(resting.softDropFrames, 1u);

    // With a sideways control held, Down is ignored and the lock delay runs instead.
    GameState sideways = activeState(PieceO, -1, 18);
    sideways.tick(Down | Left);
    EXPECT_EQ(sideways.phase, ACTIVE);
    EXPECT_EQ(sideways.softDropFrames, 0u);
    EXPECT_EQ(sideways.lockDelay, 1u);
    run(sideways, 28, Down | Left);
    EXPECT_EQ(sideways.phase, ACTIVE);
    sideways.tick(Down | Right);
    EXPECT_EQ(sideways.phase, LOCKFLASH);
}

TEST(LockDelay, OnlyAFallOrANewPieceResetsTheRestingCount) {
    GameState floor = activeState(PieceO, 3, 18);
    run(floor, 29);
    EXPECT_EQ(floor.lockDelay, 29u);
    EXPECT_EQ(floor.phase, ACTIVE);
    floor.tick(0);
    EXPECT_EQ(floor.phase, LOCKFLASH);

    // A soft drop after ten resting frames locks with the count at 10; the next piece starts
    // from 0.
    GameState dropped = activeState(PieceO, 3, 18);
    run(dropped, 10);
    dropped.tick(Down);
    run(dropped, LockFlashFrames + EntryDelayFrames);
    ASSERT_EQ(dropped.phase, ACTIVE);
    EXPECT_EQ(dropped.lockDelay, 0u);

    // Turning a resting T keeps its count.
    GameState turned = activeState(PieceT, 3, 18);
    run(turned, 5);
    turned.tick(RotateCcw);
    EXPECT_EQ(turned.pieceRotation, 1u);
    EXPECT_EQ(turned.lockDelay, 6u);

    // An O on a one-block ledge at (5, 20), shifted off it, keeps its count while in the air
    // until gravity (4/256 a frame) moves it in the 64th frame.
    GameState ledge = activeState(PieceO, 3, 17, 0, withBlock(emptyBoard(), 5, 20));
    run(ledge, 10);
    EXPECT_EQ(ledge.lockDelay, 10u);
    ledge.tick(Left);
    EXPECT_EQ(ledge.pieceColumn, 2);
    run(ledge, 52);
    EXPECT_EQ(ledge.pieceRow, 17);
    EXPECT_EQ(ledge.lockDelay, 10u);
    ledge.tick(0);
    EXPECT_EQ(ledge.pieceRow, 18);
    EXPECT_EQ(ledge.lockDelay, 1u) << "reset by the fall, then counted at rest on the floor";
}
