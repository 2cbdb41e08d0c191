// The frames between two pieces: the lock flash that writes the piece into the board, the line
// clear that scores and then removes full rows, and the entry delay that brings the next piece.
#include "phase_steps.h"

#include <algorithm>

bool rowIsFull(const Board& board, int row) {
    const PieceKind* first = &board[cellIndex(0, row)];
    return std::none_of(first, first + BoardColumns,
                        [](PieceKind cell) { return cell == NoPiece; });
}

namespace {

// A locking piece lies inside the well, which it does not overlap.
void writePieceIntoBoard(GameState& game) {
    const auto& shape = pieceShape(game.activeKind, game.pieceRotation);
    for (int cell = 0; cell < 4; ++cell) {
        game.board[cellIndex(game.pieceColumn + shape[cell], game.pieceRow + shape[cell + 4])] =
            game.activeKind;
    }
}

// Only rows that the piece touched can be full, so never more than four.
void findFullRows(GameState& game) {
    game.clearedCount = 0;
    for (int row = 0; row < BoardRows; ++row) {
        if (rowIsFull(game.board, row)) {
            game.clearedRows[game.clearedCount++] = static_cast<std::uint32_t>(row);
            game.phase = LINECLEAR;
        }
    }
}

// Rows that are not full keep their order and settle to the bottom; the rows freed at the top
// become empty.
void removeFullRows(Board& board) {
    int target = BoardRows - 1;
    for (int row = BoardRows - 1; row >= 0; --row) {
        if (rowIsFull(board, row)) {
            continue;
        }
        if (target != row) {
            std::copy_n(board.begin() + row * BoardColumns, BoardColumns,
                        board.begin() + target * BoardColumns);
        }
        --target;
    }
    std::fill(board.begin(), board.begin() + (target + 1) * BoardColumns, NoPiece);
}

void enterNextPiece(GameState& game, InputBits controls) {
    game.areTimer = 0;
    game.lockDelay = 0;
    game.softDropFrames = 0;
    game.gravityAccum = 0;
    game.pieceColumn = EntryColumn;
    game.pieceRow = EntryRow;
    game.pieceRotation = 0;
    game.phase = ACTIVE;
    game.activeKind = game.nextKind;
    game.nextKind = game.randomKind();
    applyEntryRotation(game, controls);
    if (game.collides()) {
        game.phase = GAMEOVER;
    }
}

} // namespace

void runLockFlash(GameState& game) {
    ++game.flashTimer;
    game.lockFlash = game.flashTimer < LockFlashFrames;
    if (game.flashTimer < LockFlashFrames) {
        return;
    }
    game.flashTimer = 0;
    writePieceIntoBoard(game);
    game.phase = ARE;
    findFullRows(game);
}

void runLineClear(GameState& game) {
    ++game.clearTimer;
    if (game.clearTimer == 1) {
        scoreLineClear(game);
        return;
    }
    game.combo = 1;
    if (game.clearTimer < LineClearFrames) {
        return;
    }
    game.clearTimer = 0;
    game.phase = ARE;
    std::fill(game.clearedRows.begin(), game.clearedRows.end(), NoClearedRow);
    removeFullRows(game.board);
}

void runEntryDelay(GameState& game, InputBits controls) {
    const std::uint32_t frame = ++game.areTimer;
    // The delay never resets the counter, so a sideways control held through it charges the
    // auto-repeat for the piece that follows.
    if (frame < EntryDelayFrames && sideStepCounts(controls, game.prevControls)) {
        ++game.shiftRepeat;
    }
    if (frame == LevelStepFrame) {
        stepLevel(game);
    }
    stepGravity(game);
    if (frame >= EntryDelayFrames) {
        enterNextPiece(game, controls);
    }
}
