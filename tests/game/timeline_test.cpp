// The game's clock: which frame each phase begins and ends in, and what frameCount counts.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace gametest;

namespace {

std::vector<Phase> phasesAfterEachTick(GameState& game, int frames) {
    std::vector<Phase> phases;
    for (int frame = 0; frame < frames; ++frame) {
        phases.push_back(game.tick(0).phase);
    }
    return phases;
}

std::vector<Phase> runsOf(std::initializer_list<std::pair<Phase, int>> runs) {
    std::vector<Phase> phases;
    for (const auto& [phase, length] : runs) {
        phases.insert(phases.end(), static_cast<std::size_t>(length), phase);
    }
    return phases;
}

} // namespace

TEST(Timeline, TheFirstPieceEntersInTheHundredSeventiethFrameAndIsCountedFromTheNext) {
    GameState game = GameState::newGame(7);
    const PieceKind first = game.nextKind;
    for (std::uint32_t frame = 1; frame < ReadyFrames; ++frame) {
        game.tick(0);
        ASSERT_EQ(game.phase, READYGO) << "frame " << frame;
        ASSERT_EQ(game.readyTimer, frame);
        ASSERT_EQ(game.frameCount, 0u);
        ASSERT_EQ(game.activeKind, NoPiece);
    }
    const GameState entered = game.tick(0);
    EXPECT_EQ(differingField(entered, game), "") << "tick returns the record after the frame";
    EXPECT_EQ(entered.phase, ACTIVE);
    EXPECT_EQ(entered.prevPhase, READYGO);
    EXPECT_EQ(entered.readyTimer, 0u);
    EXPECT_EQ(entered.frameCount, 0u);
    EXPECT_EQ(entered.activeKind, first);
    EXPECT_FALSE(entered.firstPiece);
    EXPECT_EQ(entered.pieceColumn, EntryColumn);
    EXPECT_EQ(entered.pieceRow, EntryRow);
    EXPECT_EQ(entered.pieceRotation, 0u);

    game.tick(0);
    EXPECT_EQ(game.frameCount, 1u);
    EXPECT_EQ(game.prevPhase, ACTIVE);
}

TEST(Timeline, WithoutInputTheFirstPieceFallsEverySixtyFourFramesAndLocksAfterThirtyAtRest) {
    GameState game = GameState::newGame(11);
    run(game, ReadyFrames);
    const PieceKind kind = game.activeKind;
    const PieceKind second = game.nextKind;
    // Gravity 4/256 moves one row per 64 frames; in rotation 0 an I reaches the floor at row 19,
    // every other first piece (T, L, J) at row 18.
    const int floorRow = kind == PieceI ? 19 : 18;
    for (int frame = 1; frame <= 64 * floorRow; ++frame) {
        game.tick(0);
        ASSERT_EQ(game.pieceRow, frame / 64) << "frame " << frame;
    }
    EXPECT_EQ(game.lockDelay, 1u) << "the landing frame already counts as resting";
    run(game, 28);
    EXPECT_EQ(game.phase, ACTIVE);
    EXPECT_EQ(game.lockDelay, 29u);
    game.tick(0);
    EXPECT_EQ(game.phase, LOCKFLASH);
    EXPECT_EQ(game.lockDelay, 0u);

    EXPECT_EQ(phasesAfterEachTick(game, 30), runsOf({{LOCKFLASH, 3}, {ARE, 26}, {ACTIVE, 1}}));
    EXPECT_EQ(game.activeKind, second);
    EXPECT_EQ(game.level, 1u);
    const auto& shape = pieceShape(kind, 0);
    for (int cell = 0; cell < 4; ++cell) {
        EXPECT_EQ(game.board[cellIndex(EntryColumn + shape[cell], floorRow + shape[4 + cell])],
                  kind);
    }
}

TEST(Timeline, TheNextPieceEntersThirtyFramesAfterALockOrSeventyOneWhenRowsClear) {
    // Locks by soft drop on the floor in the first tick; no row is full.
    GameState plain = activeState(PieceO, 3, 18);
    EXPECT_EQ(plain.tick(Down).phase, LOCKFLASH);
    EXPECT_EQ(phasesAfterEachTick(plain, 30), runsOf({{LOCKFLASH, 3}, {ARE, 26}, {ACTIVE, 1}}));

    // The O fills the last two cells of rows 19 and 20.
    GameState clearing =
        activeState(PieceO, 7, 18, 0, boardFromBottom({"########..", "########.."}));
    EXPECT_EQ(clearing.tick(Down).phase, LOCKFLASH);
    EXPECT_EQ(phasesAfterEachTick(clearing, 71),
              runsOf({{LOCKFLASH, 3}, {LINECLEAR, 41}, {ARE, 26}, {ACTIVE, 1}}));
}

TEST(Timeline, FrameCountCountsEveryTickThatBeginsOutsideReadyGoAndGameOver) {
    GameState idle; // the record the snapshot holds before the first frame: phase NONE
    const GameState before = idle;
    EXPECT_EQ(before.clearedRows, std::vector<std::uint32_t>(4, NoClearedRow));
    EXPECT_EQ(before.pieceHistory, std::vector<PieceKind>(4, PieceZ));
    idle.tick(RotateCw | Left);
    EXPECT_EQ(idle.frameCount, 1u) << "NONE does nothing but count the frame";
    EXPECT_TRUE(idle.rotateHeld);
    EXPECT_EQ(idle.prevControls, RotateCw | Left);
    idle.frameCount = 0;
    EXPECT_EQ(differingField(idle, before, true), "");

    GameState unknown = stateIn(static_cast<Phase>(9));
    unknown.tick(Down);
    EXPECT_EQ(unknown.phase, static_cast<Phase>(9)) << "a phase without a handler is carried";
    EXPECT_EQ(unknown.prevPhase, static_cast<Phase>(9));
    EXPECT_EQ(unknown.frameCount, 1u);

    GameState over = areState(25, PieceT, withBlock(emptyBoard(), 4, 1));
    over.tick(0);
    ASSERT_EQ(over.phase, GAMEOVER);
    const std::uint32_t counted = over.frameCount;
    const GameState final = over;
    for (InputBits controls : {Left, Down | RotateCcw, AnyRotate | Right, 0xFFFFFFFFu, 0u}) {
        over.tick(controls);
        EXPECT_EQ(differingField(over, final, true), "") << "controls " << controls;
        EXPECT_EQ(over.rotateHeld, (controls & AnyRotate) != 0);
        EXPECT_EQ(over.prevPhase, GAMEOVER);
        EXPECT_EQ(over.prevControls, controls);
    }
    EXPECT_EQ(over.frameCount, counted);
}
