// The rules of one Velmora game: the value record that holds a whole game, the constant tables
// behind it, and the frame step that advances it. Nothing here knows about windows or drawing.
#pragma once

#include <array>
#include <cstdint>
#include <tuple>

using PieceKind = std::uint32_t;
using InputBits = std::uint32_t;

constexpr PieceKind PieceI = 0;
constexpr PieceKind PieceZ = 1;
constexpr PieceKind PieceS = 2;
constexpr PieceKind PieceO = 3;
constexpr PieceKind PieceT = 4;
constexpr PieceKind PieceL = 5;
constexpr PieceKind PieceJ = 6;
constexpr PieceKind NoPiece = 7;
constexpr std::uint32_t PieceKindCount = 7;

constexpr InputBits Up = 0x01;
constexpr InputBits Right = 0x02;
constexpr InputBits Down = 0x04;
constexpr InputBits Left = 0x08;
constexpr InputBits RotateCcw = 0x10;
constexpr InputBits RotateCw = 0x20;
constexpr InputBits RotateCcw2 = 0x40;
constexpr InputBits Space = 0x80;
constexpr InputBits AnyRotate = RotateCcw | RotateCw | RotateCcw2;

enum Phase : std::uint32_t { NONE = 0, READYGO, ACTIVE, LOCKFLASH, LINECLEAR, ARE, GAMEOVER };

constexpr int BoardColumns = 10;
constexpr int BoardRows = 21;
constexpr int BoardCells = BoardColumns * BoardRows;
using Board = std::array<PieceKind, BoardCells>;

constexpr std::uint32_t ReadyFrames = 170;
constexpr std::uint32_t LockDelayFrames = 30;
constexpr std::uint32_t LockFlashFrames = 4;
constexpr std::uint32_t LineClearFrames = 41;
constexpr std::uint32_t EntryDelayFrames = 26;
constexpr std::uint32_t LevelStepFrame = 25;
constexpr std::uint16_t ShiftRepeatStart = 14;
constexpr std::int32_t EntryColumn = 3;
constexpr std::int32_t EntryRow = 0;
constexpr std::uint32_t GravityOneRow = 256;
constexpr std::uint32_t MaxLevel = 999;
constexpr std::uint32_t TopGrade = 18;
constexpr std::uint32_t NoClearedRow = 0xFFFFFFFF;
constexpr std::size_t ListLength = 4;

// Per kind and rotation (index kind * 4 + rotation): the column offsets of cells 0 to 3, then
// their row offsets. Rows grow downward; rotation + 1 turns the piece counter-clockwise.
extern const std::array<std::array<std::uint8_t, 8>, 28> PieceShapeTable;

struct GravityRow {
    std::uint32_t gravity;   // in 1/256 rows per frame
    std::uint32_t nextLevel; // the level from which the next row takes over
};

extern const std::array<GravityRow, 30> GravityTable;

// While the grade is g (below 17), a score above entry g raises it to g + 1. The top grade comes
// only from the three top-grade conditions.
extern const std::array<std::uint32_t, 17> GradeTable;

// A record made without newGame is zero everywhere but the two lists: what the render snapshot
// holds before the first frame is published.
struct GameState {
    bool firstPiece = false;
    PieceKind nextKind = 0;
    PieceKind activeKind = 0;
    std::int32_t pieceColumn = 0;
    std::int32_t pieceRow = 0;
    std::uint32_t pieceRotation = 0;
    Board board{};
    std::uint32_t grade = 0;
    std::uint32_t score = 0;
    std::uint32_t level = 0;
    std::uint32_t frameCount = 0;
    std::uint16_t shiftRepeat = 0;
    std::uint32_t lockDelay = 0;
    std::uint32_t readyTimer = 0;
    std::uint32_t areTimer = 0;
    std::uint32_t clearTimer = 0;
    std::uint32_t flashTimer = 0;
    std::uint32_t gravityIndex = 0;
    std::uint32_t gravityAccum = 0;
    std::uint32_t clearedCount = 0;
    bool lockFlash = false;
    std::uint32_t softDropFrames = 0;
    std::uint32_t combo = 0;
    std::uint32_t allClearFactor = 0;
    bool rotateHeld = false;
    bool topGrade300 = false;
    bool topGrade500 = false;
    bool topGrade999 = false;
    Phase prevPhase = NONE;
    Phase phase = NONE;
    // Fixed lists: a record is copied without allocating, so no tick allocates.
    std::array<std::uint32_t, ListLength> clearedRows{NoClearedRow, NoClearedRow, NoClearedRow,
                                                      NoClearedRow};
    std::array<PieceKind, ListLength> pieceHistory{PieceZ, PieceZ, PieceZ, PieceZ};
    InputBits prevControls = 0;

    // A new game, its pieces dealt by the C library's generator from the seed.
    static GameState newGame(unsigned int seed);

    // Advances the game by one simulation frame under the held controls and returns a copy of
    // the record after the frame.
    GameState tick(InputBits controls);

    // Whether the active piece, where it stands, overlaps a wall, the floor or a filled cell.
    bool collides() const;

    // Draws the kind of the next piece and pushes it in front of the history.
    PieceKind randomKind();

    // Whether every row is either full or empty.
    bool isAllClear() const;
};

// Every field of the record, in its order.
inline auto RecordFields(const GameState& g) {
    return std::tie(g.firstPiece, g.nextKind, g.activeKind, g.pieceColumn, g.pieceRow,
                    g.pieceRotation, g.board, g.grade, g.score, g.level, g.frameCount,
                    g.shiftRepeat, g.lockDelay, g.readyTimer, g.areTimer, g.clearTimer,
                    g.flashTimer, g.gravityIndex, g.gravityAccum, g.clearedCount, g.lockFlash,
                    g.softDropFrames, g.combo, g.allClearFactor, g.rotateHeld, g.topGrade300,
                    g.topGrade500, g.topGrade999, g.prevPhase, g.phase, g.clearedRows,
                    g.pieceHistory, g.prevControls);
}

// Records are equal when every field is.
bool operator==(const GameState& a, const GameState& b);
inline bool operator!=(const GameState& a, const GameState& b) {
    return !(a == b);
}

inline std::size_t cellIndex(int column, int row) {
    return static_cast<std::size_t>(row * BoardColumns + column);
}

inline const std::array<std::uint8_t, 8>& pieceShape(PieceKind kind, std::uint32_t rotation) {
    return PieceShapeTable[kind * 4 + rotation % 4];
}
