// Fuzz target for the rules: the input chooses a record the rules can reach and a run of held
// controls, and every frame must keep the invariants of rules_invariants.h. The same target runs
// under libFuzzer (make fuzz) and, through a small replay main, over the saved corpus in make test.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "game_state.h"
#include "rules_invariants.h"

namespace {

// Longer inputs are cut here so that a single run stays short and the engine keeps its pace.
constexpr int MaxTicks = 1000;
constexpr std::uint32_t LongestHold = 32;

// Hands out the input a little at a time. Past its end every read gives zero, so that every
// input, however short, describes a game; no input is rejected.
struct ByteReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t used = 0;

    bool exhausted() const { return used >= size; }
    std::uint32_t byte() { return used < size ? data[used++] : 0; }
    std::uint32_t word() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | byte();
        }
        return value;
    }
    std::uint32_t pair() {
        const std::uint32_t high = byte();
        return high << 8 | byte();
    }
    // A value from low to high inclusive: one byte when the range allows, else two.
    std::int32_t between(std::int32_t low, std::int32_t high) {
        const auto span = static_cast<std::uint32_t>(high - low + 1);
        const std::uint32_t raw = span <= 256 ? byte() : pair();
        return low + static_cast<std::int32_t>(raw % span);
    }
    std::uint32_t upTo(std::uint32_t high) {
        return static_cast<std::uint32_t>(between(0, static_cast<std::int32_t>(high)));
    }
    // Any 32-bit value, small ones as likely as large ones.
    std::uint32_t spread() {
        const std::uint32_t shift = byte() % 32;
        return word() >> shift;
    }
};

// Bits of the flags byte.
constexpr std::uint32_t RotateHeldFlag = 0x01;
constexpr std::uint32_t SamePhaseFlag = 0x02;
constexpr std::uint32_t AllClearFlag = 0x04;
constexpr std::uint32_t TopGrade300Flag = 0x08;
constexpr std::uint32_t TopGrade500Flag = 0x10;
constexpr std::uint32_t TopGrade999Flag = 0x20;
constexpr std::uint32_t TopGradeGivenFlag = 0x40;

Phase phaseBefore(Phase phase) {
    switch (phase) {
    case ACTIVE:
        return ARE;
    case LOCKFLASH:
        return ACTIVE;
    case LINECLEAR:
    case ARE:
        return LOCKFLASH;
    case GAMEOVER:
        return ARE;
    default:
        return NONE;
    }
}

std::uint32_t gravityRowFor(std::uint32_t level) {
    std::uint32_t row = 0;
    while (row + 1 < GravityTable.size() && level >= GravityTable[row].nextLevel) {
        ++row;
    }
    return row;
}

std::uint32_t gradeFor(std::uint32_t score) {
    std::uint32_t grade = 0;
    while (grade < TopGrade - 1 && score > GradeTable[grade]) {
        ++grade;
    }
    return grade;
}

// Rows from the floor up, each with its own pattern of filled cells (the low ten bits of two
// bytes) and kinds that vary along the row. All rows are read, used or not, so that every later
// field keeps its place in the input.
void buildStack(Board& board, ByteReader& in) {
    const int height = in.between(0, BoardRows);
    for (int row = BoardRows - 1; row >= 0; --row) {
        const std::uint32_t pattern = in.pair();
        if (row < BoardRows - height) {
            continue;
        }
        for (int column = 0; column < BoardColumns; ++column) {
            if ((pattern >> column & 1) != 0) {
                board[cellIndex(column, row)] = (pattern >> 10) % PieceKindCount;
            }
        }
        if (RowIsFull(board, row)) {
            board[cellIndex(row % BoardColumns, row)] = NoPiece;
        }
    }
}

// Any position at which the piece lies inside the well; the stack gives way afterwards if needed.
void placePiece(GameState& game, ByteReader& in) {
    game.activeKind = in.upTo(PieceKindCount - 1);
    game.pieceRotation = in.upTo(3);
    const auto& shape = pieceShape(game.activeKind, game.pieceRotation);
    const auto columns = std::minmax_element(shape.begin(), shape.begin() + 4);
    const auto rows = std::minmax_element(shape.begin() + 4, shape.end());
    game.pieceColumn = in.between(-*columns.first, BoardColumns - 1 - *columns.second);
    game.pieceRow = in.between(0, BoardRows - 1 - *rows.second);
}

void setPieceCells(GameState& game, PieceKind kind) {
    const auto& shape = pieceShape(game.activeKind, game.pieceRotation);
    for (int cell = 0; cell < 4; ++cell) {
        game.board[cellIndex(game.pieceColumn + shape[cell], game.pieceRow + shape[cell + 4])] =
            kind;
    }
}

void fillRow(Board& board, int row) {
    for (int column = 0; column < BoardColumns; ++column) {
        PieceKind& cell = board[cellIndex(column, row)];
        if (cell == NoPiece) {
            cell = static_cast<PieceKind>(row + column) % PieceKindCount;
        }
    }
}

// The locked piece is in the board and has completed the rows of the cells chosen by
// `rowsToFill` (one bit per cell of the piece), at least one row.
void startLineClear(GameState& game, std::uint32_t rowsToFill, std::uint32_t timer) {
    setPieceCells(game, game.activeKind);
    if ((rowsToFill & 0xF) == 0) {
        rowsToFill = 1;
    }
    const auto& shape = pieceShape(game.activeKind, game.pieceRotation);
    for (int cell = 0; cell < 4; ++cell) {
        if ((rowsToFill >> cell & 1) != 0) {
            fillRow(game.board, game.pieceRow + shape[cell + 4]);
        }
    }
    game.clearedCount = 0;
    for (int row = 0; row < BoardRows; ++row) {
        if (RowIsFull(game.board, row)) {
            game.clearedRows[game.clearedCount++] = static_cast<std::uint32_t>(row);
        }
    }
    game.clearTimer = timer % LineClearFrames;
    game.combo = game.clearTimer == 1 ? 2 * game.clearedCount - 1 : 1;
}

GameState startingRecord(ByteReader& in) {
    // The seed also fixes every later draw of the randomizer, so a run repeats exactly.
    GameState game = GameState::newGame(in.word());
    const auto phase = static_cast<Phase>(in.between(READYGO, GAMEOVER));
    const std::uint32_t flags = in.byte();
    const std::uint32_t timer = in.byte();
    game.rotateHeld = (flags & RotateHeldFlag) != 0;
    game.prevControls = in.word();
    if (phase == READYGO) {
        game.readyTimer = timer % ReadyFrames;
        game.prevPhase = (flags & SamePhaseFlag) != 0 ? READYGO : NONE;
        return game;
    }

    game.firstPiece = false;
    game.phase = phase;
    game.prevPhase = (flags & SamePhaseFlag) != 0 ? phase : phaseBefore(phase);
    game.level = in.upTo(MaxLevel);
    game.score = in.spread();
    game.frameCount = in.spread();
    game.topGrade300 = game.level >= 300 && (flags & TopGrade300Flag) != 0;
    game.topGrade500 = game.level >= 500 && (flags & TopGrade500Flag) != 0;
    game.topGrade999 = game.level >= 999 && (flags & TopGrade999Flag) != 0;
    game.grade = gradeFor(game.score);
    if (game.grade == TopGrade - 1 && game.topGrade300 && game.topGrade500 && game.topGrade999 &&
        (flags & TopGradeGivenFlag) != 0) {
        game.grade = TopGrade;
    }
    // The gravity index catches up with a line clear's level only during the entry delay.
    const std::uint32_t lagByte = in.byte();
    const std::uint32_t lag = phase == LINECLEAR || phase == ARE ? lagByte % 3 : 0;
    game.gravityIndex = gravityRowFor(game.level);
    game.gravityIndex -= std::min(game.gravityIndex, lag);
    game.nextKind = in.upTo(PieceKindCount - 1);
    game.pieceHistory = {game.nextKind, in.upTo(6), in.upTo(6), in.upTo(6)};
    game.shiftRepeat = static_cast<std::uint16_t>(in.pair());
    game.lockDelay = in.upTo(LockDelayFrames - 1);
    game.gravityAccum = in.upTo(GravityOneRow - 1);
    game.softDropFrames = in.byte();
    game.allClearFactor = (flags & AllClearFlag) != 0 ? 4 : 1;
    game.clearedCount = in.upTo(ListLength);
    const std::uint32_t rowsToFill = in.byte();
    buildStack(game.board, in);
    placePiece(game, in);

    switch (phase) {
    case ACTIVE:
        setPieceCells(game, NoPiece);
        break;
    case LOCKFLASH:
        setPieceCells(game, NoPiece);
        game.flashTimer = timer % LockFlashFrames;
        game.lockFlash = game.flashTimer > 0;
        break;
    case LINECLEAR:
        startLineClear(game, rowsToFill, timer);
        break;
    case ARE:
        game.areTimer = timer % EntryDelayFrames;
        break;
    default:
        break;
    }
    return game;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in{data, size};
    GameState game = startingRecord(in);
    StopIfBroken(BrokenRecordInvariant(game));

    GameState previous = game;
    for (int ticks = 0; ticks < MaxTicks && !in.exhausted();) {
        const InputBits controls = in.word();
        const std::uint32_t frames = 1 + in.byte() % LongestHold;
        for (std::uint32_t frame = 0; frame < frames && ticks < MaxTicks; ++frame, ++ticks) {
            const GameState returned = game.tick(controls);
            StopIfBroken(BrokenTickInvariant(previous, game, returned));
            previous = returned;
        }
    }
    return 0;
}
