// What must hold after every frame of the rules, and a player that drives long runs of them:
// shared by the property test, the fuzz target and the soak.
#pragma once

#include <algorithm>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "game_state.h"

// The first rule that the frame from `before` to `after` broke, or nullptr; `returned` is the
// copy that tick handed back.
inline const char* BrokenInvariant(const GameState& before, const GameState& after,
                                   const GameState& returned) {
    const GameState& g = after;
    // Full rows exist only in a line clear, which lists them from the top.
    std::vector<std::uint32_t> full, listed;
    for (std::uint32_t row = 0; row < BoardRows; ++row) {
        const auto first = g.board.begin() + row * BoardColumns;
        if (std::find(first, first + BoardColumns, NoPiece) == first + BoardColumns) {
            full.push_back(row);
        }
    }
    if (g.phase == LINECLEAR) {
        listed.assign(g.clearedRows.begin(), g.clearedRows.begin() + std::min(g.clearedCount, 4u));
    }
    // The whole record after a frame that only waits, besides the memories of the frame and its
    // count: unchanged in GAMEOVER; in LOCKFLASH and LINECLEAR, up to the frame that ends the
    // phase, only its timer moves, the flash shows and the combo is back to 1. The frames that
    // steer, bring a piece or score are the tables'.
    GameState expected = before;
    std::tie(expected.rotateHeld, expected.prevPhase, expected.prevControls, expected.frameCount) =
        std::tie(g.rotateHeld, g.prevPhase, g.prevControls, g.frameCount);
    if (before.phase == LOCKFLASH && before.flashTimer + 1 < LockFlashFrames) {
        std::tie(expected.flashTimer, expected.lockFlash) = std::tuple(before.flashTimer + 1, true);
    } else if (before.phase == LINECLEAR && before.clearTimer % (LineClearFrames - 1) != 0) {
        std::tie(expected.clearTimer, expected.combo) = std::tuple(before.clearTimer + 1, 1u);
    } else if (before.phase != GAMEOVER) {
        expected = g;
    }
    const bool counted = before.phase != READYGO && before.phase != GAMEOVER;
    const std::pair<bool, const char*> rules[] = {
        {returned != after, "tick returns the record after the frame"},
        {std::any_of(g.board.begin(), g.board.end(), [](PieceKind c) { return c > NoPiece; }) ||
             g.level > MaxLevel || g.gravityIndex >= GravityTable.size() || g.grade > TopGrade,
         "cells, level, speed index and grade stay in range"},
        {g.clearedRows.size() != ListLength || g.pieceHistory.size() != ListLength,
         "both lists keep four entries"},
        {g.grade == TopGrade && !(g.topGrade300 && g.topGrade500 && g.topGrade999),
         "the top grade comes only with its three conditions"},
        {(g.phase == ACTIVE || g.phase == LOCKFLASH) && (g.activeKind >= NoPiece || g.collides()),
         "the piece in play stays inside the well and off the stack"},
        {full != listed, "full rows exist only in a line clear, which lists them in order"},
        {g.readyTimer >= ReadyFrames || g.flashTimer >= LockFlashFrames ||
             g.clearTimer >= LineClearFrames || g.areTimer >= EntryDelayFrames ||
             g.lockDelay >= LockDelayFrames || g.gravityAccum >= GravityOneRow ||
             (g.lockFlash && g.phase != LOCKFLASH),
         "every timer is reset and the flash is off when its phase or delay ends"},
        {g.score < before.score || g.level < before.level || g.grade < before.grade,
         "score, level and grade never fall"},
        {g.frameCount != before.frameCount + (counted ? 1u : 0u) || g.prevPhase != before.phase,
         "every frame outside READYGO and GAMEOVER is counted"},
        {g != expected, "a waiting frame changes only its timer"},
    };
    const auto broken =
        std::find_if(std::begin(rules), std::end(rules), [](auto& r) { return r.first; });
    return broken == std::end(rules) ? nullptr : broken->second;
}

// Holds random controls, now and then with unnamed bits too, each for up to 24 frames.
struct Player {
    std::mt19937 random;
    InputBits held = 0;
    unsigned framesLeft = 0;

    InputBits next() {
        if (framesLeft-- == 0) {
            held = random() % 8 == 0 ? InputBits(random()) : InputBits(random() % 256);
            framesLeft = random() % 24;
        }
        return held;
    }
};

// A new game; odd seeds start at a random level, whose speed the first entry delays catch up with.
inline GameState StartGame(unsigned seed, Player& player) {
    GameState game = GameState::newGame(seed);
    game.level = seed % 2 == 1 ? player.random() % (MaxLevel + 1) : 0;
    return game;
}
