// What must hold after every frame of the rules, whatever the controls and however long the game:
// shared by the property test, the fuzz target and the soak run.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "game_state.h"

inline bool RowIsFull(const Board& board, int row) {
    for (int column = 0; column < BoardColumns; ++column) {
        if (board[cellIndex(column, row)] == NoPiece) {
            return false;
        }
    }
    return true;
}

// The first thing that does not hold of a record the rules can reach, or nullptr.
inline const char* BrokenRecordInvariant(const GameState& game) {
    for (const PieceKind cell : game.board) {
        if (cell > NoPiece) {
            return "every cell holds a kind 0 to 7";
        }
    }
    if (game.clearedRows.size() != ListLength) {
        return "clearedRows keeps four entries";
    }
    if (game.pieceHistory.size() != ListLength) {
        return "pieceHistory keeps four entries";
    }
    for (const PieceKind kind : game.pieceHistory) {
        if (kind >= NoPiece) {
            return "the history holds kinds 0 to 6";
        }
    }
    if (!(game.phase >= READYGO && game.phase <= GAMEOVER)) {
        return "the phase is READYGO to GAMEOVER";
    }
    if (game.nextKind >= NoPiece) {
        return "the next piece is a kind 0 to 6";
    }
    if (game.activeKind > NoPiece) {
        return "the active piece is a kind 0 to 6 or none";
    }
    if (game.pieceRotation > 3) {
        return "the rotation is 0 to 3";
    }
    if (game.level > MaxLevel) {
        return "the level is at most 999";
    }
    if (game.grade > TopGrade) {
        return "the grade is at most 18";
    }
    if (!(game.grade < TopGrade || (game.topGrade300 && game.topGrade500 && game.topGrade999))) {
        return "the top grade comes only with all three top-grade conditions";
    }
    if (game.gravityIndex >= GravityTable.size()) {
        return "the gravity index is at most 29";
    }
    if (game.clearedCount > ListLength) {
        return "at most four rows are cleared at once";
    }
    if (!(game.readyTimer < ReadyFrames && game.flashTimer < LockFlashFrames &&
          game.clearTimer < LineClearFrames && game.areTimer < EntryDelayFrames)) {
        return "every phase timer is reset when its phase ends";
    }
    if (game.lockDelay >= LockDelayFrames) {
        return "a piece locks when its lock delay runs out";
    }
    if (game.gravityAccum >= GravityOneRow) {
        return "whole rows of gravity never stay accumulated";
    }
    if (game.phase == ACTIVE || game.phase == LOCKFLASH) {
        if (game.activeKind >= NoPiece) {
            return "a piece is in play";
        }
        if (game.collides()) {
            return "the piece in play stays inside the well and off the stack";
        }
    }

    std::uint32_t fullRows = 0;
    for (int row = 0; row < BoardRows; ++row) {
        if (RowIsFull(game.board, row)) {
            if (game.phase != LINECLEAR) {
                return "full rows exist only during a line clear";
            }
            if (!(fullRows < game.clearedCount &&
                  game.clearedRows[fullRows] == static_cast<std::uint32_t>(row))) {
                return "the rows being cleared are listed in increasing order";
            }
            ++fullRows;
        }
    }
    if (game.phase == LINECLEAR) {
        if (fullRows != game.clearedCount) {
            return "every listed row is full until it is removed";
        }
    }
    return nullptr;
}

inline bool allowedStep(Phase from, Phase to) {
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

// What holds of one frame: `before` and `after` are the live record around the tick, `returned`
// is the copy the tick handed back.
inline const char* BrokenTickInvariant(const GameState& before, const GameState& after,
                                       const GameState& returned) {
    if (returned != after) {
        return "the returned copy equals the record";
    }
    if (const char* broken = BrokenRecordInvariant(after)) {
        return broken;
    }
    if (!allowedStep(before.phase, after.phase) || after.prevPhase != before.phase) {
        return "the phases follow the course of a game";
    }
    if (after.score < before.score) {
        return "the score never falls";
    }
    if (after.level < before.level) {
        return "the level never falls";
    }
    if (after.grade < before.grade) {
        return "the grade never falls";
    }
    const bool counted = before.phase != READYGO && before.phase != GAMEOVER;
    if (after.frameCount != before.frameCount + (counted ? 1u : 0u)) {
        return "every frame outside READYGO and GAMEOVER is counted";
    }
    if (before.phase == GAMEOVER) {
        GameState unchanged = before;
        unchanged.rotateHeld = after.rotateHeld;
        unchanged.prevPhase = GAMEOVER;
        unchanged.prevControls = after.prevControls;
        if (after != unchanged) {
            return "a finished game stays as it is";
        }
    }
    return nullptr;
}

// For the fuzz target and the soak: stop at the first broken invariant, naming it.
inline void StopIfBroken(const char* broken) {
    if (broken != nullptr) {
        std::fprintf(stderr, "rules invariant broken: %s\n", broken);
        std::abort();
    }
}
