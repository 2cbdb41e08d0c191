// What must hold after every frame of the rules, and a player that drives long runs of them:
// shared by the property test, the fuzz target and the soak.
#pragma once

#include <algorithm>
#include <limits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "game_state.h"

// The full rows from the top: only a line clear may hold any, and it lists them.
inline std::vector<std::uint32_t> FullRows(const Board& board) {
    std::vector<std::uint32_t> rows;
    for (std::uint32_t row = 0; row < BoardRows; ++row) {
        const auto first = board.begin() + row * BoardColumns;
        if (std::find(first, first + BoardColumns, NoPiece) == first + BoardColumns) {
            rows.push_back(row);
        }
    }
    return rows;
}

// The first rule that the frame from `before` to `after` broke, or nullptr; `returned` is the
// copy that tick handed back.
inline const char* BrokenInvariant(const GameState& before, const GameState& after,
                                   const GameState& returned) {
    const GameState& g = after;
    const std::vector<std::uint32_t> listed(g.clearedRows.begin(),
                                            g.clearedRows.begin() + std::min(g.clearedCount, 4u));
    GameState unchanged = before;
    std::tie(unchanged.rotateHeld, unchanged.prevPhase, unchanged.prevControls) =
        std::tie(g.rotateHeld, g.prevPhase, g.prevControls);
    const bool counted = before.phase != READYGO && before.phase != GAMEOVER;
    const std::pair<bool, const char*> rules[] = {
        {returned != after, "tick returns the record after the frame"},
        {std::any_of(g.board.begin(), g.board.end(), [](PieceKind c) { return c > NoPiece; }),
         "every cell holds a kind 0 to 7"},
        {g.clearedRows.size() != ListLength || g.pieceHistory.size() != ListLength,
         "both lists keep four entries"},
        {g.level > MaxLevel || g.gravityIndex >= GravityTable.size() || g.grade > TopGrade,
         "level, speed index and grade stay in range"},
        {g.grade == TopGrade && !(g.topGrade300 && g.topGrade500 && g.topGrade999),
         "the top grade comes only with its three conditions"},
        {(g.phase == ACTIVE || g.phase == LOCKFLASH) && (g.activeKind >= NoPiece || g.collides()),
         "the piece in play stays inside the well and off the stack"},
        {FullRows(g.board) != (g.phase == LINECLEAR ? listed : std::vector<std::uint32_t>{}),
         "full rows exist only in a line clear, which lists them in order"},
        {g.readyTimer >= ReadyFrames || g.flashTimer >= LockFlashFrames ||
             g.clearTimer >= LineClearFrames || g.areTimer >= EntryDelayFrames ||
             g.lockDelay >= LockDelayFrames || g.gravityAccum >= GravityOneRow,
         "every timer is reset when its phase or delay ends"},
        {g.score < before.score || g.level < before.level || g.grade < before.grade,
         "score, level and grade never fall"},
        {g.frameCount != before.frameCount + (counted ? 1u : 0u) || g.prevPhase != before.phase,
         "every frame outside READYGO and GAMEOVER is counted"},
        {before.phase == GAMEOVER && g != unchanged, "a finished game never changes"},
    };
    for (const auto& [broken, rule] : rules) {
        if (broken) {
            return rule;
        }
    }
    return nullptr;
}

// Holds random controls, or aims each piece at the lowest place it finds and steers it there.
struct Player {
    std::mt19937 random;
    bool aims = false;
    InputBits held = 0;
    unsigned framesLeft = 0;
    unsigned aimedRotation = 0;
    int aimedColumn = 0;

    // Tries every rotation and column from the top: deep is good, a cell left open under the
    // piece is bad.
    void aim(const GameState& game) {
        int best = std::numeric_limits<int>::min();
        for (unsigned rotation = 0; rotation < 4; ++rotation) {
            for (int column = -2; column < BoardColumns; ++column) {
                GameState trial = game;
                std::tie(trial.pieceRotation, trial.pieceColumn, trial.pieceRow) =
                    std::tuple(rotation, column, EntryRow);
                if (trial.collides()) {
                    continue;
                }
                while (!trial.collides()) {
                    ++trial.pieceRow;
                }
                int value = trial.pieceRow * 4 + static_cast<int>(random() % 4);
                const auto& shape = pieceShape(trial.activeKind, rotation);
                for (int cell = 0; cell < 4; ++cell) {
                    const int row = trial.pieceRow - 1 + shape[4 + cell];
                    trial.board[cellIndex(column + shape[cell], row)] = trial.activeKind;
                }
                for (int cell = 0; cell < 4; ++cell) {
                    const int below = trial.pieceRow + shape[4 + cell];
                    const std::size_t at = cellIndex(column + shape[cell], below);
                    value -= below < BoardRows && trial.board[at] == NoPiece ? 12 : 0;
                }
                if (value > best) {
                    std::tie(best, aimedRotation, aimedColumn) =
                        std::tuple(value, rotation, column);
                }
            }
        }
    }
    InputBits next(const GameState& game) {
        if (game.phase == ACTIVE && game.prevPhase != ACTIVE) {
            aim(game);
        }
        if (framesLeft == 0 && (!aims || random() % 64 == 0)) {
            held = random() % 8 == 0 ? InputBits(random()) : InputBits(random() % 256);
            framesLeft = 1 + random() % 24;
        }
        if (framesLeft > 0) {
            --framesLeft;
            return held;
        }
        const InputBits step = game.pieceRotation != aimedRotation ? RotateCcw
                               : game.pieceColumn < aimedColumn    ? Right
                               : game.pieceColumn > aimedColumn    ? Left
                                                                   : Down;
        return step == Down || (game.prevControls & step) == 0 ? step : 0;
    }
};

// A new game; every other one aims, and odd seeds start at a random level, whose speed the
// first entry delays catch up with.
inline GameState StartGame(unsigned seed, Player& player) {
    GameState game = GameState::newGame(seed);
    player.aims = seed / 2 % 2 == 1;
    game.level = seed % 2 == 1 ? player.random() % (MaxLevel + 1) : 0;
    return game;
}
