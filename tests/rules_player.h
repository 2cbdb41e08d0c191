// A player for long runs of the rules: it either aims each piece at a good place, tapping the
// controls that lead there, or holds controls at random. Shared by the property test and the soak.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>

#include "game_state.h"
#include "rules_invariants.h"

namespace rulesplay {

// What a player holds: nothing, one control, or the usual pairs and clashes.
constexpr std::array<InputBits, 16> PlayerHolds = {
    0,
    Left,
    Right,
    Down,
    RotateCcw,
    RotateCw,
    RotateCcw2,
    Left | Down,
    Right | Down,
    Left | RotateCcw,
    Right | RotateCw,
    Down | RotateCcw2,
    RotateCcw | RotateCcw2,
    RotateCcw | RotateCw,
    Left | Right,
    Up | Space,
};
constexpr std::uint32_t LongestHold = 24;
// One hold in this many is an arbitrary 32-bit mask, unnamed bits included.
constexpr std::uint32_t ArbitraryHoldOdds = 50;
constexpr std::uint32_t MostFramesPerAim = 60;

// Where the piece would settle if dropped straight down from where it stands, and how good the
// board would then look: completed rows count for it; holes, a high landing and a ragged surface
// against it.
inline int placementValue(GameState trial) {
    while (!trial.collides()) {
        ++trial.pieceRow;
    }
    --trial.pieceRow;
    const auto& shape = pieceShape(trial.activeKind, trial.pieceRotation);
    for (int cell = 0; cell < 4; ++cell) {
        trial.board[cellIndex(trial.pieceColumn + shape[cell], trial.pieceRow + shape[cell + 4])] =
            trial.activeKind;
    }
    int value = -2 * (BoardRows - trial.pieceRow);
    int previousHeight = -1;
    for (int column = 0; column < BoardColumns; ++column) {
        int height = 0;
        for (int row = 0; row < BoardRows; ++row) {
            if (trial.board[cellIndex(column, row)] != NoPiece) {
                height = std::max(height, BoardRows - row);
            } else if (height > 0) {
                value -= 5;
            }
        }
        value -= previousHeight < 0 ? 0 : std::abs(height - previousHeight);
        previousHeight = height;
    }
    for (int row = 0; row < BoardRows; ++row) {
        value += RowIsFull(trial.board, row) ? 12 : 0;
    }
    return value;
}

// Either aims each piece at a good place, tapping the controls that lead there, or holds
// controls at random; the aiming player also slips into a random hold now and then.
struct Player {
    std::mt19937 random;
    bool aims = false;
    InputBits held = 0;
    std::uint32_t framesLeft = 0;
    std::uint32_t targetRotation = 0;
    std::int32_t targetColumn = 0;
    std::uint32_t framesOnPiece = 0;

    InputBits next(const GameState& game) {
        if (game.phase == ACTIVE && game.prevPhase != ACTIVE) {
            choosePlacement(game);
        }
        ++framesOnPiece;
        if (framesLeft == 0 && (!aims || random() % 128 == 0)) {
            held = random() % ArbitraryHoldOdds == 0 ? static_cast<InputBits>(random())
                                                     : PlayerHolds[random() % PlayerHolds.size()];
            framesLeft = 1 + random() % LongestHold;
        }
        if (framesLeft > 0) {
            --framesLeft;
            return held;
        }
        return game.phase == ACTIVE ? stepTowardTarget(game) : 0;
    }

    void choosePlacement(const GameState& game) {
        framesOnPiece = 0;
        int best = std::numeric_limits<int>::min();
        GameState trial = game;
        for (std::uint32_t rotation = 0; rotation < 4; ++rotation) {
            for (std::int32_t column = -2; column < BoardColumns; ++column) {
                trial.pieceRotation = rotation;
                trial.pieceColumn = column;
                if (trial.collides()) {
                    continue;
                }
                const int value = placementValue(trial) + static_cast<int>(random() % 4);
                if (value > best) {
                    best = value;
                    targetRotation = rotation;
                    targetColumn = column;
                }
            }
        }
    }

    // Rotate first, then shift, then drop; a piece that cannot get there is dropped anyway.
    InputBits stepToward(const GameState& game, InputBits control) {
        return (game.prevControls & control) != 0 ? 0 : control;
    }
    InputBits stepTowardTarget(const GameState& game) {
        if (framesOnPiece > MostFramesPerAim) {
            return Down;
        }
        if (game.pieceRotation != targetRotation) {
            return stepToward(game, RotateCcw);
        }
        if (game.pieceColumn != targetColumn) {
            return stepToward(game, game.pieceColumn < targetColumn ? Right : Left);
        }
        return Down;
    }
};

// Games take turns: random or aiming play, from level 0 or from a level of their own (with its
// gravity), so that a soak also plays the fast levels that random play never climbs to.
inline GameState startGame(unsigned int number, Player& player) {
    GameState game = GameState::newGame(number);
    player.aims = number / 2 % 2 == 1;
    if (number % 2 == 1) {
        game.level = player.random() % (MaxLevel + 1);
        while (game.gravityIndex + 1 < GravityTable.size() &&
               game.level >= GravityTable[game.gravityIndex].nextLevel) {
            ++game.gravityIndex;
        }
    }
    return game;
}

} // namespace rulesplay
