// Builders shared by the rules' tests: boards drawn as text, records placed in a given phase,
// and a field-by-field comparison that names the first field that differs.
#pragma once

#include "game_state.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace gametest {

inline constexpr char KindLetters[] = "IZSOTLJ.";

// '.' is an empty cell, a kind's letter is a block of that kind, '#' a block of no kind in
// particular (drawn back as J).
inline PieceKind kindOfLetter(char letter) {
    if (letter == '#') {
        return PieceJ;
    }
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        if (KindLetters[kind] == letter) {
            return kind;
        }
    }
    return NoPiece;
}

inline Board emptyBoard() {
    Board board{};
    board.fill(NoPiece);
    return board;
}

// The given rows are the bottom of the well: the last one is row 20.
inline Board boardFromBottom(std::initializer_list<const char*> rows) {
    Board board = emptyBoard();
    int row = BoardRows - static_cast<int>(rows.size());
    for (const char* text : rows) {
        for (int column = 0; column < BoardColumns; ++column) {
            board[cellIndex(column, row)] = kindOfLetter(text[column]);
        }
        ++row;
    }
    return board;
}

inline Board withBlock(Board board, int column, int row, PieceKind kind = PieceJ) {
    board[cellIndex(column, row)] = kind;
    return board;
}

// One line per row, row 0 first, so that a failed comparison shows the two wells.
inline std::string drawBoard(const Board& board) {
    std::string picture;
    for (int row = 0; row < BoardRows; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            PieceKind kind = board[cellIndex(column, row)];
            picture += kind <= NoPiece ? KindLetters[kind] : '?';
        }
        picture += '\n';
    }
    return picture;
}

// A game past its first piece, sitting in the given phase with an empty well.
inline GameState stateIn(Phase phase) {
    GameState game = GameState::newGame(1);
    game.firstPiece = false;
    game.phase = phase;
    game.prevPhase = phase;
    return game;
}

inline GameState activeState(PieceKind kind, int column, int row, std::uint32_t rotation = 0,
                             const Board& board = emptyBoard()) {
    GameState game = stateIn(ACTIVE);
    game.activeKind = kind;
    game.pieceColumn = column;
    game.pieceRow = row;
    game.pieceRotation = rotation;
    game.board = board;
    return game;
}

// In ARE with the given number of delay frames already spent and the given piece to enter.
inline GameState areState(std::uint32_t framesSpent, PieceKind next,
                          const Board& board = emptyBoard()) {
    GameState game = stateIn(ARE);
    game.areTimer = framesSpent;
    game.nextKind = next;
    game.board = board;
    return game;
}

inline void run(GameState& game, int frames, InputBits controls = 0) {
    for (int frame = 0; frame < frames; ++frame) {
        game.tick(controls);
    }
}

inline bool entryHappened(const GameState& game) {
    return (game.prevPhase == READYGO || game.prevPhase == ARE) && game.phase != game.prevPhase;
}

// The name of the first field in which the two records differ, or "" when they agree. The
// memories of the previous tick (rotateHeld, prevPhase, prevControls) are skipped on request.
inline std::string differingField(const GameState& a, const GameState& b,
                                  bool skipMemories = false) {
#define GAMETEST_COMPARE(field)                                                                    \
    if (!(a.field == b.field)) {                                                                   \
        return #field;                                                                             \
    }
    GAMETEST_COMPARE(firstPiece)
    GAMETEST_COMPARE(nextKind)
    GAMETEST_COMPARE(activeKind)
    GAMETEST_COMPARE(pieceColumn)
    GAMETEST_COMPARE(pieceRow)
    GAMETEST_COMPARE(pieceRotation)
    GAMETEST_COMPARE(board)
    GAMETEST_COMPARE(grade)
    GAMETEST_COMPARE(score)
    GAMETEST_COMPARE(level)
    GAMETEST_COMPARE(frameCount)
    GAMETEST_COMPARE(shiftRepeat)
    GAMETEST_COMPARE(lockDelay)
    GAMETEST_COMPARE(readyTimer)
    GAMETEST_COMPARE(areTimer)
    GAMETEST_COMPARE(clearTimer)
    GAMETEST_COMPARE(flashTimer)
    GAMETEST_COMPARE(gravityIndex)
    GAMETEST_COMPARE(gravityAccum)
    GAMETEST_COMPARE(clearedCount)
    GAMETEST_COMPARE(lockFlash)
    GAMETEST_COMPARE(softDropFrames)
    GAMETEST_COMPARE(combo)
    GAMETEST_COMPARE(allClearFactor)
    GAMETEST_COMPARE(topGrade300)
    GAMETEST_COMPARE(topGrade500)
    GAMETEST_COMPARE(topGrade999)
    GAMETEST_COMPARE(phase)
    GAMETEST_COMPARE(clearedRows)
    GAMETEST_COMPARE(pieceHistory)
    if (!skipMemories) {
        GAMETEST_COMPARE(rotateHeld)
        GAMETEST_COMPARE(prevPhase)
        GAMETEST_COMPARE(prevControls)
    }
#undef GAMETEST_COMPARE
    return "";
}

} // namespace gametest
