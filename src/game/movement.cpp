// The frames in which a piece is steered: the pause before the first piece, piece entry with
// its initial rotation, and the active phase's shift, rotation, gravity, soft drop and lock.
#include "phase_steps.h"

namespace {

bool held(InputBits controls, InputBits bit) {
    return (controls & bit) != 0;
}

bool newlyPressed(InputBits controls, InputBits previous, InputBits bit) {
    return held(controls, bit) && !held(previous, bit);
}

bool holdsCounterClockwise(InputBits controls) {
    return held(controls, RotateCcw | RotateCcw2);
}

// Turns counted in quarter turns counter-clockwise: three of them make a clockwise one.
constexpr std::uint32_t CounterClockwise = 1;
constexpr std::uint32_t Clockwise = 3;

std::uint32_t turned(std::uint32_t rotation, std::uint32_t quarters) {
    return (rotation + quarters) % 4;
}

bool restsOnStack(GameState& game) {
    ++game.pieceRow;
    const bool blocked = game.collides();
    --game.pieceRow;
    return blocked;
}

std::uint32_t currentGravity(const GameState& game) {
    return GravityTable[game.gravityIndex].gravity;
}

// A fitting piece's box lies within the well's rows; columns beyond the side walls count as
// filled, as they do for collision.
bool boxCellFilled(const GameState& game, int column, int row) {
    return column < 0 || column >= BoardColumns || game.board[cellIndex(column, row)] != NoPiece;
}

// A piece turning against a lone block in the middle column of its box would otherwise kick
// sideways around it; the turn is refused instead. A turn stays within the box, so one that
// collides while both outer columns are empty has met the middle column.
bool centreColumnBlocksTurn(const GameState& game) {
    const int x = game.pieceColumn;
    for (int row = game.pieceRow; row < game.pieceRow + 3; ++row) {
        if (boxCellFilled(game, x, row) || boxCellFilled(game, x + 2, row)) {
            return false;
        }
    }
    return true;
}

void tryRotation(GameState& game, std::uint32_t quarters) {
    const std::uint32_t before = game.pieceRotation;
    game.pieceRotation = turned(before, quarters);
    if (!game.collides()) {
        return;
    }
    // An O never gets here: its turns are all alike, so none collides.
    if (game.activeKind == PieceI || centreColumnBlocksTurn(game)) {
        game.pieceRotation = before;
        return;
    }
    const std::int32_t column = game.pieceColumn;
    for (const std::int32_t kick : {column + 1, column - 1}) {
        game.pieceColumn = kick;
        if (!game.collides()) {
            return;
        }
    }
    game.pieceColumn = column;
    game.pieceRotation = before;
}

void countShiftRepeat(GameState& game, InputBits controls) {
    if (sideStepCounts(controls, game.prevControls)) {
        ++game.shiftRepeat;
    } else {
        game.shiftRepeat = 0;
    }
}

void rotateOnPress(GameState& game, InputBits controls) {
    const InputBits previous = game.prevControls;
    if (held(controls, RotateCw) && holdsCounterClockwise(controls)) {
        return;
    }
    if (holdsCounterClockwise(controls)) {
        if (newlyPressed(controls, previous, RotateCcw) ||
            newlyPressed(controls, previous, RotateCcw2)) {
            tryRotation(game, CounterClockwise);
        }
    } else if (newlyPressed(controls, previous, RotateCw)) {
        tryRotation(game, Clockwise);
    }
}

void shift(GameState& game, InputBits controls) {
    const bool repeats = game.shiftRepeat == 1 || game.shiftRepeat >= ShiftRepeatStart;
    if (game.prevPhase != ACTIVE || !repeats) {
        return;
    }
    const std::int32_t column = game.pieceColumn;
    if (held(controls, Right)) {
        ++game.pieceColumn;
    } else if (held(controls, Left)) {
        --game.pieceColumn;
    }
    if (game.collides()) {
        game.pieceColumn = column;
    }
}

void fall(GameState& game) {
    game.gravityAccum += currentGravity(game);
    if (game.gravityAccum < GravityOneRow) {
        return;
    }
    const std::uint32_t rows = game.gravityAccum / GravityOneRow;
    game.gravityAccum %= GravityOneRow;
    std::uint32_t fallen = 0;
    while (fallen < rows && !restsOnStack(game)) {
        ++game.pieceRow;
        ++fallen;
    }
    if (fallen > 0) {
        game.lockDelay = 0;
    }
}

// Answers whether the piece locks in this frame.
bool softDropOrWait(GameState& game, InputBits controls) {
    const bool softDrop = held(controls, Down) && !held(controls, Right | Left);
    if (softDrop) {
        ++game.softDropFrames;
        if (restsOnStack(game)) {
            return true;
        }
        if (currentGravity(game) >= GravityOneRow) {
            return false;
        }
        ++game.pieceRow;
        return restsOnStack(game);
    }
    if (!restsOnStack(game)) {
        return false;
    }
    if (++game.lockDelay < LockDelayFrames) {
        return false;
    }
    game.lockDelay = 0;
    return true;
}

} // namespace

bool sideStepCounts(InputBits controls, InputBits previous) {
    return (held(controls, Left) && !held(previous, Right)) ||
           (held(controls, Right) && !held(previous, Left));
}

void applyEntryRotation(GameState& game, InputBits controls) {
    if (!game.rotateHeld) {
        return;
    }
    game.rotateHeld = false;
    const bool clockwise = held(controls, RotateCw);
    const bool counterClockwise = holdsCounterClockwise(controls);
    if (clockwise == counterClockwise) {
        return;
    }
    const std::uint32_t before = game.pieceRotation;
    game.pieceRotation = turned(before, counterClockwise ? CounterClockwise : Clockwise);
    if (game.collides()) {
        game.pieceRotation = before;
    }
}

void runReadyGo(GameState& game, InputBits controls) {
    if (++game.readyTimer < ReadyFrames) {
        return;
    }
    game.readyTimer = 0;
    game.phase = ACTIVE;
    game.activeKind = game.nextKind;
    game.nextKind = game.randomKind();
    game.firstPiece = false;
    applyEntryRotation(game, controls);
}

void runActive(GameState& game, InputBits controls) {
    countShiftRepeat(game, controls);
    rotateOnPress(game, controls);
    shift(game, controls);
    fall(game);
    if (softDropOrWait(game, controls)) {
        game.phase = LOCKFLASH;
    }
}
