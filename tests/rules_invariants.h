// What must hold after every frame of the rules, whatever the controls and however long the game:
// shared by the fuzz target and the soak run, which both stop at the first broken invariant.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "game_state.h"

[[noreturn]] inline void InvariantBroken(const char* what) {
    std::fprintf(stderr, "rules invariant broken: %s\n", what);
    std::abort();
}

inline void Require(bool holds, const char* what) {
    if (!holds) {
        InvariantBroken(what);
    }
}

// Every field in declaration order, so that two records compare whole.
inline auto RecordFields(const GameState& g) {
    return std::tie(g.firstPiece, g.nextKind, g.activeKind, g.pieceColumn, g.pieceRow,
                    g.pieceRotation, g.board, g.grade, g.score, g.level, g.frameCount,
                    g.shiftRepeat, g.lockDelay, g.readyTimer, g.areTimer, g.clearTimer,
                    g.flashTimer, g.gravityIndex, g.gravityAccum, g.clearedCount, g.lockFlash,
                    g.softDropFrames, g.combo, g.allClearFactor, g.rotateHeld, g.topGrade300,
                    g.topGrade500, g.topGrade999, g.prevPhase, g.phase, g.clearedRows,
                    g.pieceHistory, g.prevControls);
}

inline bool RowIsFull(const Board& board, int row) {
    for (int column = 0; column < BoardColumns; ++column) {
        if (board[cellIndex(column, row)] == NoPiece) {
            return false;
        }
    }
    return true;
}

// What holds of any one record the rules can reach.
inline void CheckRecord(const GameState& game) {
    for (const PieceKind cell : game.board) {
        Require(cell <= NoPiece, "every cell holds a kind 0 to 7");
    }
    Require(game.clearedRows.size() == ListLength, "clearedRows keeps four entries");
    Require(game.pieceHistory.size() == ListLength, "pieceHistory keeps four entries");
    for (const PieceKind kind : game.pieceHistory) {
        Require(kind < NoPiece, "the history holds kinds 0 to 6");
    }
    Require(game.phase >= READYGO && game.phase <= GAMEOVER, "the phase is READYGO to GAMEOVER");
    Require(game.nextKind < NoPiece, "the next piece is a kind 0 to 6");
    Require(game.activeKind <= NoPiece, "the active piece is a kind 0 to 6 or none");
    Require(game.pieceRotation <= 3, "the rotation is 0 to 3");
    Require(game.level <= MaxLevel, "the level is at most 999");
    Require(game.grade <= TopGrade, "the grade is at most 18");
    Require(game.grade < TopGrade || (game.topGrade300 && game.topGrade500 && game.topGrade999),
            "the top grade comes only with all three top-grade conditions");
    Require(game.gravityIndex < GravityTable.size(), "the gravity index is at most 29");
    Require(game.clearedCount <= ListLength, "at most four rows are cleared at once");
    Require(game.readyTimer < ReadyFrames && game.flashTimer < LockFlashFrames &&
                game.clearTimer < LineClearFrames && game.areTimer < EntryDelayFrames,
            "every phase timer is reset when its phase ends");
    Require(game.lockDelay < LockDelayFrames, "a piece locks when its lock delay runs out");
    Require(game.gravityAccum < GravityOneRow, "whole rows of gravity never stay accumulated");
    if (game.phase == ACTIVE || game.phase == LOCKFLASH) {
        Require(game.activeKind < NoPiece, "a piece is in play");
        Require(!game.collides(), "the piece in play stays inside the well and off the stack");
    }

    std::uint32_t fullRows = 0;
    for (int row = 0; row < BoardRows; ++row) {
        if (RowIsFull(game.board, row)) {
            Require(game.phase == LINECLEAR, "full rows exist only during a line clear");
            Require(fullRows < game.clearedCount &&
                        game.clearedRows[fullRows] == static_cast<std::uint32_t>(row),
                    "the rows being cleared are listed in increasing order");
            ++fullRows;
        }
    }
    if (game.phase == LINECLEAR) {
        Require(fullRows == game.clearedCount, "every listed row is full until it is removed");
    }
}

// What holds of one frame: `before` and `after` are the live record around the tick, `returned`
// is the copy the tick handed back.
inline void CheckTick(const GameState& before, const GameState& after, const GameState& returned) {
    Require(RecordFields(returned) == RecordFields(after), "the returned copy equals the record");
    CheckRecord(after);
    Require(after.score >= before.score, "the score never falls");
    Require(after.level >= before.level, "the level never falls");
    Require(after.grade >= before.grade, "the grade never falls");
    const bool counted = before.phase != READYGO && before.phase != GAMEOVER;
    Require(after.frameCount == before.frameCount + (counted ? 1u : 0u),
            "every frame outside READYGO and GAMEOVER is counted");
    if (before.phase == GAMEOVER) {
        GameState unchanged = before;
        unchanged.rotateHeld = after.rotateHeld;
        unchanged.prevPhase = GAMEOVER;
        unchanged.prevControls = after.prevControls;
        Require(RecordFields(after) == RecordFields(unchanged), "a finished game stays as it is");
    }
}
