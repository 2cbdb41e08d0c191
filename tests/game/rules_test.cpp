// The rules frame by frame. Every expected value is worked out by hand from the rules: the
// phases' lengths, steering, clearing, points, level, grade and the pieces dealt.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "rules_check.h"

// The bottom rows of the well, the last one row 20: '.' is empty, a kind's letter or '#' (an I)
// a block.
static Board Well(std::vector<std::string> rows = {}) {
    Board board;
    board.fill(NoPiece);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (int column = 0; column < BoardColumns; ++column) {
            const std::size_t at = cellIndex(column, BoardRows - int(rows.size() - i));
            board[at] = std::string("IZSOTLJ.#").find(rows[i][column]) % 8;
        }
    }
    return board;
}

static Board With(int column, int row, Board board = Well()) {
    board[cellIndex(column, row)] = PieceJ;
    return board;
}

static GameState In(Phase phase, Board board = Well(), std::uint32_t areFrames = 0) {
    GameState game = GameState::newGame(1);
    std::tie(game.firstPiece, game.phase, game.prevPhase, game.board, game.nextKind,
             game.areTimer) = std::tuple(false, phase, phase, board, PieceT, areFrames);
    return game;
}

static GameState Piece(PieceKind kind, int column, int row, unsigned rotation = 0,
                       Board board = Well(), std::uint32_t lockDelay = 0,
                       std::uint32_t gravityIndex = 0) {
    GameState game = In(ACTIVE, board);
    std::tie(game.activeKind, game.pieceColumn, game.pieceRow, game.pieceRotation, game.lockDelay,
             game.gravityIndex) = std::tie(kind, column, row, rotation, lockDelay, gravityIndex);
    return game;
}

using Holds = std::vector<std::pair<InputBits, int>>; // controls held, for so many frames

static GameState Play(GameState game, Holds holds) {
    for (const auto& [controls, frames] : holds) {
        for (int frame = 0; frame < frames; ++frame) {
            game.tick(controls);
        }
    }
    return game;
}

TEST(Rules, EachKindHasItsShapeInEachRotationOfItsBox) {
    // Rows of the box from the top, the four rotations side by side; a turn to the next
    // rotation is a quarter turn counter-clockwise, and rotations count modulo four.
    const std::pair<PieceKind, std::array<const char*, 4>> shapes[] = {
        // clang-format off
        {PieceI, {"....|..#.|....|..#.", "####|..#.|####|..#.", "....|..#.|....|..#.", "....|..#.|....|..#."}},
        {PieceZ, {"....|..#.|....|..#.", "##..|.##.|##..|.##.", ".##.|.#..|.##.|.#..", "....|....|....|...."}},
        {PieceS, {"....|#...|....|#...", ".##.|##..|.##.|##..", "##..|.#..|##..|.#..", "....|....|....|...."}},
        {PieceO, {"....|....|....|....", ".##.|.##.|.##.|.##.", ".##.|.##.|.##.|.##.", "....|....|....|...."}},
        {PieceT, {"....|.#..|....|.#..", "###.|.##.|.#..|##..", ".#..|.#..|###.|.#..", "....|....|....|...."}},
        {PieceL, {"....|.#..|....|##..", "###.|.#..|..#.|.#..", "#...|.##.|###.|.#..", "....|....|....|...."}},
        {PieceJ, {"....|.##.|....|.#..", "###.|.#..|#...|.#..", "..#.|.#..|###.|##..", "....|....|....|...."}}};
    // clang-format on
    for (const auto& [kind, rows] : shapes) {
        for (unsigned rotation = 0; rotation < 8; ++rotation) {
            std::string drawn = "................";
            const auto& shape = pieceShape(kind, rotation);
            for (int cell = 0; cell < 4; ++cell) {
                drawn[shape[cell + 4] * 4 + shape[cell]] = '#';
            }
            std::string want;
            for (const char* row : rows) {
                want += std::string(row).substr(rotation % 4 * 5, 4);
            }
            EXPECT_EQ(drawn, want) << "kind " << kind << ", rotation " << rotation;
        }
    }
}

TEST(Rules, APieceCollidesWithTheWallsTheFloorTheTopAndTheStackOnly) {
    // clang-format off
    const std::tuple<const char*, PieceKind, unsigned, int, int, Board, bool> places[] = {
        {"an upright I at column -2", PieceI, 1, -2, 0, Well(), false}, {"... at -3", PieceI, 1, -3, 0, Well(), true},
        {"a lying I at column 6", PieceI, 0, 6, 0, Well(), false},      {"... at 7", PieceI, 0, 7, 0, Well(), true},
        {"an O at column -1", PieceO, 0, -1, 18, Well(), false},        {"... at -2", PieceO, 0, -2, 18, Well(), true},
        {"an O at row 18", PieceO, 0, 7, 18, Well(), false},            {"... at 19", PieceO, 0, 7, 19, Well(), true},
        {"an upright I at row 17", PieceI, 1, 0, 17, Well(), false},    {"... at row -1", PieceI, 1, 0, -1, Well(), true},
        {"on a block", PieceT, 0, 3, 5, With(4, 7), true},              {"beside it", PieceT, 0, 3, 5, With(5, 7), false},
        {"no piece, anywhere", NoPiece, 0, -9, 40, Well(), false}};
    // clang-format on
    for (const auto& [place, kind, rotation, column, row, board, collides] : places) {
        EXPECT_EQ(Piece(kind, column, row, rotation, board).collides(), collides) << place;
    }
}

TEST(Rules, ANewGameAndABlankRecordHoldTheirStatedValues) {
    using List = std::array<std::uint32_t, 4>;
    const List none = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    Board empty, zero;
    empty.fill(7);
    zero.fill(0);
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        const GameState game = GameState::newGame(seed);
        const PieceKind k = game.nextKind; // drawn as the seeded games check
        // clang-format off
        EXPECT_EQ(RecordFields(game), std::tuple(true, k, 7u, 3, 0, 0u, empty, 0u, 0u, 0u, 0u, std::uint16_t{0}, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, false, 0u, 1u, 1u, false, false, false, false, 0u, 1u, none, List{k, 1, 1, 1}, 0u));
        // clang-format on
    }
    // The controls' bits are numbers that recorded games keep.
    // clang-format off
    EXPECT_EQ(std::vector<InputBits>({Up, Right, Down, Left, RotateCcw, RotateCw, RotateCcw2, Space}), std::vector<InputBits>({1, 2, 4, 8, 16, 32, 64, 128}));
    EXPECT_EQ(RecordFields(GameState()), std::tuple(false, 0u, 0u, 0, 0, 0u, zero, 0u, 0u, 0u, 0u, std::uint16_t{0}, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, false, 0u, 0u, 0u, false, false, false, false, 0u, 0u, none, List{1, 1, 1, 1}, 0u));
    // clang-format on
}

TEST(Rules, EachPhaseLastsItsNumberOfFrames) {
    using Phases = std::vector<std::pair<Phase, int>>; // the phase after each frame, run-length
    // With blocks in the top two rows, which fall with the rest.
    const Board twoRowsShort = With(0, 0, With(1, 1, Well({"########..", "########.."})));
    Board hiddenRowShort = Well();
    std::fill_n(hiddenRowShort.begin(), 6, PieceJ);
    GameState lockingInTheHiddenRow = Piece(PieceI, 6, -1, 0, hiddenRowShort);
    // clang-format off
    std::tie(lockingInTheHiddenRow.phase, lockingInTheHiddenRow.flashTimer) = std::tuple(LOCKFLASH, 3);
    const std::tuple<const char*, GameState, InputBits, Phases> courses[] = {
        {"the first piece enters in the 170th frame", GameState::newGame(5), 0, {{READYGO, 169}, {ACTIVE, 2}}}, {"a resting piece locks in its 30th frame", Piece(PieceO, 3, 18), 0, {{ACTIVE, 29}, {LOCKFLASH, 4}, {ARE, 26}, {ACTIVE, 1}}},
        {"... at one row a frame too", Piece(PieceO, 3, 18, 0, Well(), 0, 22), 0, {{ACTIVE, 29}, {LOCKFLASH, 1}}}, {"a fall restarts the lock delay", Piece(PieceT, 3, 17, 0, Well(), 20), 0, {{ACTIVE, 92}, {LOCKFLASH, 1}}},
        {"full rows clear for 41 frames", Piece(PieceO, 7, 18, 0, twoRowsShort), Down, {{LOCKFLASH, 4}, {LINECLEAR, 41}, {ARE, 26}, {ACTIVE, 1}}}, {"the hidden row clears too", lockingInTheHiddenRow, 0, {{LINECLEAR, 41}, {ARE, 1}}},
        {"a piece that cannot enter ends the game", In(ARE, With(4, 1)), Left, {{ARE, 25}, {GAMEOVER, 5}}}};
    // clang-format on
    for (const auto& [course, start, controls, phases] : courses) {
        GameState game = start;
        int frame = 0;
        for (const auto& [phase, frames] : phases) {
            for (int i = 0; i < frames; ++i) {
                const GameState before = game, returned = game.tick(controls);
                // clang-format off
                ASSERT_EQ(std::pair(returned.phase, BrokenInvariant(before, game, returned)), std::pair(phase, (const char*)nullptr)) << course << ", frame " << ++frame;
                // clang-format on
            }
        }
    }
}

TEST(Rules, ThePieceShiftsTurnsKicksFallsAndDropsAsHeld) {
    const GameState T = Piece(PieceT, 3, 5);
    auto Entering = [](Board board = Well()) { return In(ARE, board, EntryDelayFrames - 1); };
    auto Falling = [](unsigned speed) { return Piece(PieceT, 3, 0, 0, Well(), 0, speed); };
    const Board centre = With(4, 5), outer = With(5, 7, centre), both = With(2, 6, outer);
    // The phase, column, row and rotation after the frames, the auto-repeat count and the
    // gravity carried in 1/256 rows.
    // clang-format off
    const std::tuple<const char*, GameState, Holds, Phase, int, int, unsigned, int, unsigned> moves[] = {
        {"a tap of D moves one column", T, {{Right, 1}}, ACTIVE, 4, 5, 0, 1, 4}, {"held, it repeats from the 14th frame", T, {{Right, 13}}, ACTIVE, 4, 5, 0, 13, 52},
        {"... in every frame", T, {{Left, 15}}, ACTIVE, 0, 5, 0, 15, 60}, {"... up to the wall", T, {{Right, 40}}, ACTIVE, 7, 5, 0, 40, 160},
        {"both sides: right once, then neither", T, {{Left | Right, 5}}, ACTIVE, 4, 5, 0, 0, 20}, {"a switch of sides waits a frame", T, {{Right, 2}, {Left, 2}}, ACTIVE, 3, 5, 0, 1, 16},
        {"READYGO does not charge it", GameState::newGame(5), {{Right, 171}}, ACTIVE, 3, 0, 0, 1, 4}, {"ARE does, in its first 25 frames", In(ARE), {{Right, 28}}, ACTIVE, 4, 0, 0, 27, 8},
        {"... the 25th among them", In(ARE, Well(), 24), {{Right, 1}}, ARE, 3, 0, 0, 1, 0}, {"... and only when held", In(ARE), {{0, 25}}, ARE, 3, 0, 0, 0, 0},
        {"held from the 26th: no move before 14", Entering(), {{Left, 15}}, ACTIVE, 2, 0, 0, 14, 56}, {"the O key turns clockwise", T, {{RotateCw, 1}}, ACTIVE, 3, 5, 3, 0, 4},
        {"the P key counter-clockwise, once", T, {{RotateCcw2, 10}}, ACTIVE, 3, 5, 1, 0, 40}, {"each press turns", T, {{RotateCcw, 1}, {RotateCcw | RotateCcw2, 1}, {0, 1}, {RotateCcw2, 1}}, ACTIVE, 3, 5, 3, 0, 16},
        {"both ways do not", T, {{RotateCw | RotateCcw, 1}, {RotateCw | RotateCcw2, 1}}, ACTIVE, 3, 5, 0, 0, 8}, {"a rotate key held at entry turns", Entering(), {{RotateCw, 1}}, ACTIVE, 3, 0, 3, 0, 0},
        {"... unless the turn collides", Entering(With(4, 0)), {{RotateCw, 1}}, ACTIVE, 3, 0, 0, 0, 0}, {"a turn missing the stack saves it", Entering(With(3, 1)), {{RotateCcw2, 1}}, ACTIVE, 3, 0, 1, 0, 0},
        {"... one hitting it does not", Entering(With(3, 1)), {{RotateCw, 1}}, GAMEOVER, 3, 0, 0, 0, 0}, {"a kick tries the right first", Piece(PieceZ, 3, 5, 0, With(5, 5)), {{RotateCcw, 1}}, ACTIVE, 4, 5, 1, 0, 4},
        {"a block in the centre column refuses", Piece(PieceT, 3, 5, 0, With(4, 7)), {{RotateCcw, 1}}, ACTIVE, 3, 5, 0, 0, 4}, {"... in its top cell too", Piece(PieceT, 3, 5, 0, centre), {{RotateCw, 1}}, ACTIVE, 3, 5, 0, 0, 4},
        {"... beside the left wall", Piece(PieceT, 0, 5, 0, With(1, 5)), {{RotateCw, 1}}, ACTIVE, 0, 5, 0, 0, 4}, {"... with a block below the box", Piece(PieceT, 3, 5, 0, With(3, 8, centre)), {{RotateCw, 1}}, ACTIVE, 3, 5, 0, 0, 4},
        {"not with an outer one too", Piece(PieceT, 3, 5, 0, outer), {{RotateCw, 1}}, ACTIVE, 2, 5, 3, 0, 4}, {"... which may block both", Piece(PieceT, 3, 5, 0, both), {{RotateCw, 1}}, ACTIVE, 3, 5, 0, 0, 4},
        {"a wall is an outer column", Piece(PieceZ, -1, 5, 1, With(0, 5)), {{RotateCcw, 1}}, ACTIVE, 0, 5, 2, 0, 4}, {"... on the right too", Piece(PieceS, 8, 5, 1, With(9, 5)), {{RotateCcw, 1}}, ACTIVE, 7, 5, 2, 0, 4},
        {"an I never kicks", Piece(PieceI, -1, 5, 1), {{RotateCcw, 1}}, ACTIVE, -1, 5, 1, 0, 4}, {"gravity 4/256 has not moved it in 63 frames", Falling(0), {{0, 63}}, ACTIVE, 3, 0, 0, 0, 252},
        {"... and has in 64", Falling(0), {{0, 64}}, ACTIVE, 3, 1, 0, 0, 0}, {"144/256 carries the rest of a row", Falling(13), {{0, 11}}, ACTIVE, 3, 6, 0, 0, 48},
        {"twenty rows a frame, the rest lost", Falling(29), {{0, 1}}, ACTIVE, 3, 18, 0, 0, 0}, {"a soft drop on a resting piece locks at once", Piece(PieceO, 3, 18), {{Down, 1}}, LOCKFLASH, 3, 18, 0, 0, 4},
        {"a soft drop falls a row a frame, locks on landing", T, {{Down, 13}}, LOCKFLASH, 3, 18, 0, 0, 52}, {"... a row more than gravity 224/256", Falling(21), {{Down, 5}}, ACTIVE, 3, 9, 0, 0, 96},
        {"... none more than 256/256", Falling(22), {{Down, 5}}, ACTIVE, 3, 5, 0, 0, 0}, {"not while sideways is held", T, {{Down | Left, 3}}, ACTIVE, 2, 5, 0, 3, 12},
    };
    // clang-format on
    for (const auto& [move, start, holds, phase, column, row, rotation, repeat, rest] : moves) {
        const GameState g = Play(start, holds);
        // clang-format off
        EXPECT_EQ(std::tuple(g.phase, g.pieceColumn, g.pieceRow, g.pieceRotation, g.shiftRepeat, g.gravityAccum), std::tuple(phase, column, row, rotation, repeat, rest)) << move;
        // clang-format on
    }
}

TEST(Rules, ALineClearScoresRaisesTheGradeAndMeetsTopGradeConditions) {
    const Board one = Well({"#.........", "##########"});
    const Board four = Well({"#.........", "##########", "##########", "##########", "##########"});
    const Board clean = Well({"##########", "##########", "##########", "##########"});
    struct Clear {
        const char* clear;
        Board board;
        // conditions: the top-grade conditions met, as bits: 1 for 300, 2 for 500, 4 for 999
        std::uint32_t rows, level, softDrops, score, grade, frameCount, conditions;
        std::uint32_t wantScore, wantLevel, wantGrade, wantConditions;
    };
    std::vector<Clear> clears = {
        // (ceil(level after / 4) + soft drops) x combo (2 rows - 1) x rows x 4 if all clear;
        // the grade rises while the score is above its threshold, to ZN only with all three
        // conditions; a condition needs its level crossed by the counted frame, with the score.
        // clang-format off
        {"one row at 2", one, 1, 2, 0, 0, 0, 0, 0, 1, 3, 0, 0}, {"a half row left", Well({"#####.....", "##########"}), 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0},
        {"a block in the hidden row", With(0, 0, Well({"##########"})), 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0}, {"four rows at 96, all clear", clean, 4, 96, 10, 0, 0, 0, 0, 3920, 100, 5, 0},
        {"two rows at 5, all clear", Well({"##########", "##########"}), 2, 5, 3, 0, 0, 0, 0, 120, 7, 0, 0}, {"past 998 only to 999", four, 4, 998, 0, 0, 0, 0, 0, 7028, 999, 6, 0},
        {"the score stops at its limit", clean, 4, 96, 10, 0xFFFFFF00u, 17, 0, 0, 0xFFFFFFFFu, 100, 17, 0}, {"several grades at once", one, 1, 2, 0, 10000, 0, 0, 0, 10001, 3, 7, 0},
        {"the score alone stops at S9", one, 1, 2, 0, 500000, 16, 0, 0, 500001, 3, 17, 0}, {"300 and 500 are not ZN", one, 1, 2, 0, 130000, 17, 0, 3, 130001, 3, 17, 3},
        {"nor 300 and 999", one, 1, 2, 0, 130000, 17, 0, 5, 130001, 3, 17, 5}, {"nor 500 and 999", one, 1, 2, 0, 130000, 17, 0, 6, 130001, 3, 17, 6},
        {"all three are", one, 1, 2, 0, 130000, 17, 0, 7, 130001, 3, 18, 7}, {"... from S9 only", one, 1, 2, 0, 130000, 16, 0, 7, 130001, 3, 17, 7},
        {"300 with 12000 in time", four, 4, 297, 0, 12000-2128, 5, 15299, 0, 12000, 301, 7, 1}, {"one point short", four, 4, 297, 0, 12000-2129, 5, 15299, 0, 11999, 301, 7, 0},
        {"one frame late", four, 4, 297, 0, 20000, 5, 15300, 0, 22128, 301, 10, 0}, {"one level short", four, 4, 295, 0, 20000, 5, 15299, 0, 22100, 299, 10, 0},
        {"already past 300", four, 4, 300, 0, 20000, 5, 0, 0, 22128, 304, 10, 0}, {"500 with 40000 in time", one, 1, 499, 0, 40000-125, 12, 26999, 1, 40000, 500, 12, 3},
        {"one frame late", one, 1, 499, 0, 40000-125, 12, 27000, 1, 40000, 500, 12, 1}, {"one point short", one, 1, 499, 0, 40000-126, 12, 26999, 1, 39999, 500, 12, 1},
        {"999 with 126000 in time", one, 1, 998, 0, 126000-250, 17, 48599, 3, 126000, 999, 18, 7}, {"one point short", one, 1, 998, 0, 126000-251, 16, 48599, 3, 125999, 999, 17, 3},
        {"one frame late", one, 1, 998, 0, 126000-250, 17, 48600, 3, 126000, 999, 17, 3}};
    // clang-format on
    // Each grade's score, a point on either side: a clear of one point passes it, or reaches it.
    // clang-format off
    const std::uint32_t passes[] = {400, 800, 1400, 2000, 3500, 5500, 8000, 12000, 16000, 22000, 30000, 40000, 52000, 66000, 82000, 100000, 120000};
    for (std::uint32_t grade = 0; grade < 17; ++grade) {
        const std::uint32_t score = passes[grade];
        clears.push_back({"reaching a grade's score", one, 1, 2, 0, score - 1, grade, 0, 0, score, 3, grade, 0});
        clears.push_back({"passing it", one, 1, 2, 0, score, grade, 0, 0, score + 1, 3, grade + 1, 0});
    }
    for (const auto& c : clears) {
        GameState game = In(LINECLEAR, c.board); // the rows are read only once the clear is over
        std::tie(game.level, game.softDropFrames, game.score, game.grade, game.frameCount) = std::tie(c.level, c.softDrops, c.score, c.grade, c.frameCount);
        std::tie(game.topGrade300, game.topGrade500, game.topGrade999, game.clearedCount) = std::tuple(c.conditions & 1, c.conditions & 2, c.conditions & 4, c.rows);
        // clang-format on
        game.tick(0);
        const unsigned met = game.topGrade300 | game.topGrade500 << 1 | game.topGrade999 << 2;
        // clang-format off
        EXPECT_EQ(std::tuple(game.score, game.level, game.grade, met), std::tuple(c.wantScore, c.wantLevel, c.wantGrade, c.wantConditions)) << c.clear << " from " << c.score;
        // clang-format on
    }
}

TEST(Rules, TheLevelStopsAtEachX99AndAt998AndTheSpeedFollowsItOneRowAFrame) {
    // ARE frames before, level and speed index before and after the frame. The 25th steps the
    // level, then the index; a clear carries the level past a stop.
    std::vector<std::array<std::uint32_t, 5>> steps = {
        // clang-format off
        {24, 0, 0, 1, 0}, {24, 29, 0, 30, 1}, {24, 34, 0, 35, 1}, {24, 98, 8, 99, 8}, {24, 99, 8, 99, 8},
        {24, 100, 8, 101, 9}, {24, 199, 13, 199, 13}, {24, 899, 29, 899, 29}, {24, 900, 29, 901, 29},
        {24, 997, 29, 998, 29}, {24, 998, 29, 998, 29}, {24, 999, 29, 999, 29}};
    // The levels from which rows 1 to 29 of the speed table take over, in any ARE frame.
    const std::uint32_t from[] = {30, 35, 40, 50, 60, 70, 80, 90, 100, 120, 140, 160, 170, 200, 220, 230, 233,
                                  236, 239, 243, 247, 251, 300, 330, 360, 400, 420, 450, 500};
    // clang-format on
    for (std::uint32_t index = 0; index < 29; ++index) {
        steps.push_back({0, from[index] - 1, index, from[index] - 1, index});
        steps.push_back({0, from[index], index, from[index], index + 1});
    }
    // Each row's gravity in 256ths of a row a frame; a T from the top reaches the floor at row 18.
    const std::uint32_t gravity[] = {4,   6,   8,   10,  12,  16,   32,   48,   64,  80,
                                     96,  112, 128, 144, 4,   32,   64,   96,   128, 160,
                                     192, 224, 256, 512, 768, 1024, 1280, 1024, 768, 5120};
    for (std::uint32_t index = 0; index < 30; ++index) {
        const GameState game = Play(Piece(PieceT, 3, 0, 0, Well(), 0, index), {{0, 1}});
        // clang-format off
        EXPECT_EQ(game.pieceRow * 256 + game.gravityAccum, std::min(gravity[index], 18 * 256u)) << "speed " << index;
        // clang-format on
    }
    for (const auto& [frames, level, index, wantLevel, wantIndex] : steps) {
        GameState game = In(ARE, Well(), frames);
        std::tie(game.level, game.gravityIndex) = std::tie(level, index);
        game.tick(0);
        // clang-format off
        EXPECT_EQ(std::pair(game.level, game.gravityIndex), std::pair(wantLevel, wantIndex)) << "from " << level << " after " << frames << " ARE frames";
        // clang-format on
    }
}

// The pieces come from the C library's generator after the game's seed: the first two are never
// Z, S or O; after them a kind among the last four is drawn again, up to three times. make soak
// plays many more games: VELMORA_SOAK_GAMES.
TEST(Rules, SeededGamesDealFromRandAndKeepEveryInvariantToTheEnd) {
    const char* soak = std::getenv("VELMORA_SOAK_GAMES");
    for (unsigned seed = 1, games = soak ? std::atoi(soak) : 200; seed <= games; ++seed) {
        std::srand(seed);
        std::vector<PieceKind> draws(20000);
        std::generate(draws.begin(), draws.end(), [] { return std::rand() % 7; });
        auto draw = draws.begin();
        std::array<PieceKind, 4> history = {1, 1, 1, 1};
        auto deal = [&](bool opening) {
            PieceKind kind = *draw++;
            for (int again = 0;
                 opening ? kind >= 1 && kind <= 3
                         : again < 3 && std::count(history.begin(), history.end(), kind);
                 ++again) {
                kind = *draw++;
            }
            history = {kind, history[0], history[1], history[2]};
            return kind;
        };
        Player player{std::mt19937(seed)};
        GameState game = StartGame(seed, player);
        ASSERT_EQ(game.nextKind, deal(true));
        for (int frame = 0; game.prevPhase != GAMEOVER; ++frame) {
            ASSERT_LT(frame, 100000) << "seed " << seed << " never ends";
            const GameState before = game;
            const GameState returned = game.tick(player.next());
            const char* broken = BrokenInvariant(before, game, returned);
            ASSERT_EQ(broken, nullptr) << broken << ", seed " << seed << ", frame " << frame;
            if (game.phase == ACTIVE && before.phase != ACTIVE) {
                ASSERT_EQ(game.nextKind, deal(before.phase == READYGO)) << "seed " << seed;
                ASSERT_EQ(game.pieceHistory, history);
            }
        }
    }
}
