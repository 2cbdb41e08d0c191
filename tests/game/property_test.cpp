// Seeded random games played to the end, with the record's invariants checked after every frame.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

using namespace gametest;

namespace {

constexpr int Games = 300;
constexpr int FrameLimit = 60000;

// Plays each piece to a placement chosen at its entry: mostly the one that lands lowest (so rows
// fill and clear), tapping the rotate and sideways controls there and then soft-dropping; now and
// then a piece gets random controls instead, bits the rules do not read included.
struct Player {
    std::mt19937 random;
    int targetColumn = EntryColumn;
    std::uint32_t targetRotation = 0;
    bool noisy = false;
    int pieceFrames = 0;

    int percent() { return std::uniform_int_distribution<int>(0, 99)(random); }

    void choosePlacement(const GameState& game) {
        GameState probe = game;
        int best = -1;
        for (std::uint32_t rotation = 0; rotation < 4; ++rotation) {
            for (int column = -2; column < BoardColumns; ++column) {
                probe.pieceRotation = rotation;
                probe.pieceColumn = column;
                probe.pieceRow = EntryRow;
                if (probe.collides()) {
                    continue;
                }
                while (!probe.collides()) {
                    ++probe.pieceRow;
                }
                const int depth =
                    4 * probe.pieceRow + std::uniform_int_distribution<int>(0, 6)(random);
                if (depth > best) {
                    best = depth;
                    targetColumn = column;
                    targetRotation = rotation;
                }
            }
        }
    }

    InputBits controls(const GameState& game) {
        if (game.phase != ACTIVE) {
            return percent() < 10 ? (percent() < 50 ? Right : RotateCcw) : 0u;
        }
        if (game.prevPhase != ACTIVE) {
            choosePlacement(game);
            noisy = percent() < 10;
            pieceFrames = 0;
        }
        ++pieceFrames;
        if (noisy) {
            return random() & (Up | Right | Down | Left | AnyRotate | Space | 0x300u);
        }
        const bool placed =
            game.pieceRotation == targetRotation && game.pieceColumn == targetColumn;
        if (placed || pieceFrames > 40) {
            return Down;
        }
        if (pieceFrames % 2 == 0) {
            return 0; // release, so that the next tap is a new press
        }
        if (game.pieceRotation != targetRotation) {
            return RotateCcw;
        }
        return game.pieceColumn < targetColumn ? Right : Left;
    }
};

bool allowedStep(Phase from, Phase to) {
    if (from == to) {
        return true;
    }
    switch (from) {
    case READYGO:
        return to == ACTIVE;
    case ACTIVE:
        return to == LOCKFLASH;
    case LOCKFLASH:
        return to == ARE || to == LINECLEAR;
    case LINECLEAR:
        return to == ARE;
    case ARE:
        return to == ACTIVE || to == GAMEOVER;
    default:
        return false;
    }
}

::testing::AssertionResult consistent(const GameState& game) {
    for (PieceKind cell : game.board) {
        if (cell > NoPiece) {
            return ::testing::AssertionFailure() << "cell of kind " << cell;
        }
    }
    if (game.clearedRows.size() != ListLength || game.pieceHistory.size() != ListLength) {
        return ::testing::AssertionFailure() << "a list lost its length of four";
    }
    if (game.level > MaxLevel || game.grade > TopGrade || game.gravityIndex > 29) {
        return ::testing::AssertionFailure() << "level " << game.level << ", grade " << game.grade
                                             << ", index " << game.gravityIndex;
    }
    if (game.pieceRotation > 3 || game.activeKind > NoPiece || game.nextKind >= NoPiece ||
        game.clearedCount > 4 || game.gravityAccum >= GravityOneRow ||
        game.lockDelay >= LockDelayFrames) {
        return ::testing::AssertionFailure() << "a field outside its range";
    }
    if ((game.phase == ACTIVE || game.phase == LOCKFLASH) && game.collides()) {
        return ::testing::AssertionFailure() << "the active piece overlaps the stack";
    }
    for (std::size_t entry = 0; entry < ListLength; ++entry) {
        const bool listed = game.phase == LINECLEAR && entry < game.clearedCount;
        if (listed != (game.clearedRows[entry] != NoClearedRow)) {
            return ::testing::AssertionFailure() << "clearedRows entry " << entry;
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Property, RandomGamesKeepTheRecordConsistentFrameByFrameUntilGameOver) {
    for (int seed = 1; seed <= Games; ++seed) {
        Player player{std::mt19937(static_cast<unsigned>(seed))};
        GameState game = GameState::newGame(static_cast<unsigned>(seed));
        // Every fourth game starts at a higher level, to reach the fast speeds and the stops.
        if (seed % 4 == 0) {
            game.level = std::array<std::uint32_t, 4>{150, 290, 480, 960}[(seed / 4) % 4];
        }
        std::uint32_t playedFrames = 0;
        int frame = 0;
        for (; game.phase != GAMEOVER; ++frame) {
            ASSERT_LT(frame, FrameLimit) << "seed " << seed << " did not end";
            const Phase phase = game.phase;
            const std::uint32_t score = game.score;
            const std::uint32_t level = game.level;
            const std::uint32_t grade = game.grade;
            const GameState after = game.tick(player.controls(game));
            if (phase != READYGO && phase != GAMEOVER) {
                ++playedFrames;
            }
            ASSERT_TRUE(consistent(game)) << "seed " << seed << ", frame " << frame;
            ASSERT_EQ(differingField(after, game), "") << "seed " << seed << ", frame " << frame;
            ASSERT_TRUE(allowedStep(phase, game.phase)) << "seed " << seed << ", frame " << frame;
            ASSERT_EQ(game.prevPhase, phase);
            ASSERT_GE(game.score, score);
            ASSERT_GE(game.level, level);
            ASSERT_GE(game.grade, grade);
            ASSERT_EQ(game.frameCount, playedFrames) << "seed " << seed << ", frame " << frame;
        }
        const GameState final = game;
        for (int extra = 0; extra < 10; ++extra) {
            game.tick(static_cast<InputBits>(player.random()));
            ASSERT_EQ(differingField(game, final, true), "") << "seed " << seed;
        }
    }
}
