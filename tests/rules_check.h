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
    // Full rows exist only in a line clear, which lists and counts them from the top; the other
    // entries of the list, and all of them outside a line clear, are 0xFFFFFFFF.
    std::vector<std::uint32_t> full;
    for (std::uint32_t row = 0; row < BoardRows; ++row) {
        const auto first = g.board.begin() + row * BoardColumns;
        if (std::find(first, first + BoardColumns, NoPiece) == first + BoardColumns) {
            full.push_back(row);
        }
    }
    const bool clearing = g.phase == LINECLEAR;
    const bool listedRight = (clearing ? g.clearedCount == full.size() : full.empty()) &&
                             (full.resize(ListLength, NoClearedRow),
                              std::equal(full.begin(), full.end(), g.clearedRows.begin()));
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
    // When each field may change: a piece enters at the end of the ready pause or of an entry
    // delay, and only then is a piece dealt; it moves only in play; the well changes as a lock
    // flash or a line clear ends; the points as a line clear starts.
    const Phase was = before.phase;
    const InputBits held = g.prevControls;
    const bool entered = (was == READYGO || was == ARE) && g.phase != was;
    const bool steered = was == ACTIVE, flashEnds = was == LOCKFLASH && g.phase != LOCKFLASH;
    const bool clearStarts = was == LINECLEAR && before.clearTimer == 0;
    const bool clearEnds = was == LINECLEAR && g.phase != LINECLEAR;
    const bool levelStep = was == ARE && before.areTimer + 1 == LevelStepFrame;
    const bool softDrop = (held & Down) && !(held & (Left | Right));
    std::array<PieceKind, ListLength> dealt{};
    if (entered) {
        dealt = {g.nextKind, before.pieceHistory[0], before.pieceHistory[1],
                 before.pieceHistory[2]};
    }
    // A lock writes the piece's cells into the well; a clear's collapse keeps the rows that were
    // not full, in their order, at the bottom.
    Board locked = before.board, collapsed;
    for (int cell = 0; flashEnds && cell < 4; ++cell) {
        const auto& shape = pieceShape(before.activeKind, before.pieceRotation);
        locked[cellIndex(before.pieceColumn + shape[cell], before.pieceRow + shape[cell + 4])] =
            before.activeKind;
    }
    collapsed.fill(NoPiece);
    for (int row = BoardRows - 1, kept = BoardRows - 1; clearEnds && row >= 0; --row) {
        const auto first = before.board.begin() + row * BoardColumns;
        if (std::find(first, first + BoardColumns, NoPiece) != first + BoardColumns) {
            std::copy_n(first, BoardColumns, collapsed.begin() + kept-- * BoardColumns);
        }
    }
    const auto piece = [](const GameState& s) {
        return std::tie(s.pieceColumn, s.pieceRow, s.pieceRotation, s.lockDelay, s.gravityAccum,
                        s.softDropFrames);
    };
    const auto deal = [](const GameState& s) {
        return std::tie(s.nextKind, s.activeKind, s.firstPiece, s.pieceHistory);
    };
    const auto points = [](const GameState& s) {
        return std::tie(s.score, s.grade, s.allClearFactor, s.topGrade300, s.topGrade500,
                        s.topGrade999);
    };
    const std::pair<bool, const char*> rules[] = {
        {entered && (std::tie(g.activeKind, g.pieceColumn, g.pieceRow, g.lockDelay, g.gravityAccum,
                              g.softDropFrames, g.areTimer, g.readyTimer, g.firstPiece,
                              g.pieceHistory) != std::tuple(before.nextKind, EntryColumn, EntryRow,
                                                            0u, 0u, 0u, 0u, 0u, false, dealt) ||
                     (g.pieceRotation != 0 && !(held & AnyRotate))),
         "a piece enters in its box's place, unturned unless a turn is held, with its counters at "
         "0, and the next is dealt"},
        {!entered && (deal(g) != deal(before) || (!steered && piece(g) != piece(before))),
         "only an entry deals, and the piece moves only in play"},
        {steered && (g.softDropFrames != before.softDropFrames + softDrop ||
                     (g.phase == LOCKFLASH && !softDrop && g.lockDelay != 0)),
         "every frame of soft drop in play counts, and a lock by delay empties the delay"},
        {g.rotateHeld != (steered ? before.rotateHeld : (held & AnyRotate) && !entered),
         "outside play a held rotate control is noted, until an entry turns the piece"},
        {(flashEnds && g.board != locked) || (clearEnds && g.board != collapsed) ||
             (g.board != before.board && !flashEnds && !clearEnds) ||
             (g.clearedCount != before.clearedCount && !flashEnds) ||
             (g.clearedRows != before.clearedRows && !flashEnds && !clearEnds),
         "the well changes only as a lock flash or a line clear ends"},
        {(points(g) != points(before) && !clearStarts) ||
             (g.level != before.level && !clearStarts && !levelStep) ||
             (g.combo != before.combo && was != LINECLEAR) ||
             (g.gravityIndex != before.gravityIndex && was != ARE),
         "points, grade and level move as a clear starts, the level and speed in an entry delay"},
        {(g.readyTimer != before.readyTimer && was != READYGO) ||
             (g.flashTimer != before.flashTimer && was != LOCKFLASH) ||
             (g.clearTimer != before.clearTimer && was != LINECLEAR) ||
             (g.areTimer != before.areTimer && was != ARE) ||
             (g.shiftRepeat != before.shiftRepeat && !steered && was != ARE) ||
             g.lockFlash != (was == LOCKFLASH && g.phase == LOCKFLASH),
         "each timer moves only in its own phase, and the flash shows in the lock flash's first "
         "three frames"},
        {returned != after, "tick returns the record after the frame"},
        {std::any_of(g.board.begin(), g.board.end(), [](PieceKind c) { return c > NoPiece; }) ||
             g.level > MaxLevel || g.gravityIndex >= GravityTable.size() || g.grade > TopGrade ||
             g.pieceRotation > 3,
         "cells, level, speed index, grade and rotation stay in range"},
        {g.grade == TopGrade && !(g.topGrade300 && g.topGrade500 && g.topGrade999),
         "the top grade comes only with its three conditions"},
        {(g.phase == ACTIVE || g.phase == LOCKFLASH) && (g.activeKind >= NoPiece || g.collides()),
         "the piece in play stays inside the well and off the stack"},
        {!listedRight, "full rows exist only in a line clear, which lists them in order"},
        {(g.readyTimer && g.phase != READYGO) || (g.flashTimer && g.phase != LOCKFLASH) ||
             (g.clearTimer && g.phase != LINECLEAR) || (g.areTimer && g.phase != ARE) ||
             g.readyTimer >= ReadyFrames || g.flashTimer >= LockFlashFrames ||
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
