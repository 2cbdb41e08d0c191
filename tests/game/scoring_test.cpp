// Points of a line clear, the grade they earn, the top-grade conditions, the level step of the
// entry delay and the speed index that follows the level.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace gametest;

namespace {

const Board OneRowAndABlock = boardFromBottom({"#.........", "##########"});
const Board FourRows = boardFromBottom({"##########", "##########", "##########", "##########"});
const Board FourRowsAndABlock =
    boardFromBottom({"#.........", "##########", "##########", "##########", "##########"});

// In the first LINECLEAR frame, with the full rows at the bottom of the given well.
GameState clearing(const Board& board, std::uint32_t rows, std::uint32_t level,
                   std::uint32_t softDropFrames = 0, std::uint32_t score = 0) {
    GameState game = stateIn(LINECLEAR);
    game.prevPhase = LOCKFLASH;
    game.board = board;
    game.level = level;
    game.softDropFrames = softDropFrames;
    game.score = score;
    game.clearedCount = rows;
    for (std::uint32_t row = 0; row < rows; ++row) {
        game.clearedRows[row] = static_cast<std::uint32_t>(BoardRows) - rows + row;
    }
    return game;
}

GameState scored(GameState game) {
    game.tick(0);
    return game;
}

} // namespace

TEST(Scoring, ALineClearScoresLevelSoftDropComboRowsAndAllClear) {
    struct Case {
        const char* scenario;
        Board board;
        std::uint32_t rows, level, softDropFrames;
        std::uint32_t points, levelAfter, allClearFactor;
    };
    const std::vector<Case> cases = {
        // ceil(3 / 4) x combo 1 x 1 row
        {"one row at level 2 with a block left", OneRowAndABlock, 1, 2, 0, 1, 3, 1},
        // (ceil(100 / 4) + 10) x 7 x 4 x 4
        {"four rows at level 96 leaving an empty well", FourRows, 4, 96, 10, 3920, 100, 4},
        // ceil(1002 / 4) = 251, x 7 x 4, although the level stops at 999
        {"four rows at level 998", FourRowsAndABlock, 4, 998, 0, 7028, 999, 1},
        // (ceil(7 / 4) + 3) x 3 x 2 x 4
        {"two rows at level 5 leaving an empty well", boardFromBottom({"##########", "##########"}),
         2, 5, 3, 120, 7, 4},
        // A half-filled row is not an empty one, even when it is all that is left.
        {"one row under a half-filled row", boardFromBottom({"#####.....", "##########"}), 1, 0, 0,
         1, 1, 1},
    };
    for (const Case& c : cases) {
        GameState game = scored(clearing(c.board, c.rows, c.level, c.softDropFrames));
        EXPECT_EQ(game.score, c.points) << c.scenario;
        EXPECT_EQ(game.level, c.levelAfter) << c.scenario;
        EXPECT_EQ(game.allClearFactor, c.allClearFactor) << c.scenario;
        EXPECT_EQ(game.combo, 2 * c.rows - 1) << c.scenario;
        EXPECT_EQ(game.tick(0).combo, 1u) << c.scenario;
    }
}

TEST(Scoring, TheScoreStopsAtItsLargestValueInsteadOfWrapping) {
    // Four rows at level 96 with 10 soft-drop frames into an empty well are worth 3920.
    EXPECT_EQ(scored(clearing(FourRows, 4, 96, 10, 0xFFFFFFFFu - 3920)).score, 0xFFFFFFFFu);
    EXPECT_EQ(scored(clearing(FourRows, 4, 96, 10, 0xFFFFFFFFu - 3919)).score, 0xFFFFFFFFu);
    EXPECT_EQ(scored(clearing(FourRows, 4, 996, 1000, 0xFFFFFF00u)).score, 0xFFFFFFFFu);
}

TEST(Grade, TheGradeClimbsPastEveryThresholdTheScoreExceedsUpToS9) {
    // One row at level 2 with a block left is worth 1 point.
    auto gradeAfterOnePoint = [](std::uint32_t score, std::uint32_t grade) {
        GameState game = clearing(OneRowAndABlock, 1, 2, 0, score);
        game.grade = grade;
        return scored(game).grade;
    };
    EXPECT_EQ(gradeAfterOnePoint(399, 0), 0u) << "400 is not above 400";
    EXPECT_EQ(gradeAfterOnePoint(400, 0), 1u);
    EXPECT_EQ(gradeAfterOnePoint(10000, 0), 7u) << "past 400 ... 8000, below 12000";
    EXPECT_EQ(gradeAfterOnePoint(125999, 16), 17u);
    EXPECT_EQ(gradeAfterOnePoint(500000, 16), 17u) << "the score alone never gives ZN";
    EXPECT_EQ(gradeAfterOnePoint(500000, 17), 17u);
    EXPECT_EQ(gradeAfterOnePoint(500000, 18), 18u);
    EXPECT_EQ(scored(clearing(FourRows, 4, 96, 10)).grade, 5u) << "3920: past 3500, not 5500";

    GameState allMet = clearing(OneRowAndABlock, 1, 2);
    allMet.grade = 17;
    allMet.topGrade300 = allMet.topGrade500 = allMet.topGrade999 = true;
    EXPECT_EQ(scored(allMet).grade, 18u);
    allMet.grade = 16;
    allMet.score = 100000;
    EXPECT_EQ(scored(allMet).grade, 16u) << "ZN is given only from S9";
}

TEST(Grade, EachTopGradeConditionIsMetOnlyByTheClearThatCrossesItsLevel) {
    // Four rows from level 297 reach 301: ceil(301 / 4) x 7 x 4 = 2128 points.
    auto at300 = [](std::uint32_t level, std::uint32_t score, std::uint32_t frames) {
        GameState game = clearing(FourRowsAndABlock, 4, level, 0, score);
        game.frameCount = frames;
        return scored(game).topGrade300;
    };
    EXPECT_TRUE(at300(297, 12000 - 2128, 15300 - 1)) << "exactly 12000 points";
    EXPECT_FALSE(at300(297, 12000 - 2129, 15300 - 1)) << "one point short";
    EXPECT_FALSE(at300(297, 20000, 15301 - 1)) << "counted frame 15301 is too late";
    EXPECT_TRUE(at300(296, 12000 - 2100, 100)) << "300 reached exactly: ceil(300 / 4) = 75";
    EXPECT_FALSE(at300(300, 20000, 100)) << "already at 300 before the clear";

    GameState kept = clearing(FourRowsAndABlock, 4, 310);
    kept.topGrade300 = true;
    EXPECT_TRUE(scored(kept).topGrade300);

    // One row from level 499 reaches 500: ceil(500 / 4) = 125 points.
    GameState at500 = clearing(OneRowAndABlock, 1, 499, 0, 40000 - 125);
    at500.frameCount = 27000 - 1;
    EXPECT_TRUE(scored(at500).topGrade500);
    at500.frameCount = 27001 - 1;
    EXPECT_FALSE(scored(at500).topGrade500);

    // One row from level 998 reaches 999: ceil(999 / 4) = 250 points; the same clear gives ZN.
    GameState at999 = clearing(OneRowAndABlock, 1, 998, 0, 126000 - 250);
    at999.frameCount = 48600 - 1;
    at999.grade = 17;
    at999.topGrade300 = at999.topGrade500 = true;
    const GameState top = scored(at999);
    EXPECT_TRUE(top.topGrade999);
    EXPECT_EQ(top.grade, 18u);
    EXPECT_EQ(top.level, 999u);
    at999.score -= 1;
    EXPECT_FALSE(scored(at999).topGrade999);
    EXPECT_EQ(scored(at999).grade, 17u);
}

TEST(Level, EachPieceRaisesTheLevelInTheTwentyFifthDelayFrameExceptAtTheStops) {
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> steps = {
        {0, 1},     {98, 99},   {99, 99},   {100, 101}, {199, 199},
        {899, 899}, {900, 901}, {997, 998}, {998, 998}, {999, 999},
    };
    for (const auto& [before, after] : steps) {
        GameState game = areState(LevelStepFrame - 1, PieceT);
        game.level = before;
        EXPECT_EQ(game.tick(0).level, after) << "from level " << before;
    }
    GameState early = areState(LevelStepFrame - 2, PieceT);
    EXPECT_EQ(early.tick(0).level, 0u);
    EXPECT_EQ(early.tick(0).level, 1u);
    EXPECT_EQ(early.tick(0).level, 1u);
}

TEST(Level, TheSpeedIndexFollowsTheLevelOneRowPerDelayFrame) {
    auto indexesOverDelayFrames = [](std::uint32_t level, std::uint32_t index, int frames) {
        GameState game = areState(0, PieceT);
        game.level = level;
        game.gravityIndex = index;
        std::vector<std::uint32_t> indexes;
        for (int frame = 0; frame < frames; ++frame) {
            indexes.push_back(game.tick(0).gravityIndex);
        }
        return indexes;
    };
    // Levels 35 to 39 are row 2's: thresholds 30 and 35 are passed one per frame.
    EXPECT_EQ(indexesOverDelayFrames(35, 0, 3), (std::vector<std::uint32_t>{1, 2, 2}));
    EXPECT_EQ(indexesOverDelayFrames(200, 13, 2), (std::vector<std::uint32_t>{14, 14}));
    EXPECT_EQ(GravityTable[14].gravity, 4u) << "level 200 falls back to the slowest gravity";
    EXPECT_EQ(indexesOverDelayFrames(999, 28, 3), (std::vector<std::uint32_t>{29, 29, 29}));

    // The level moves in the clear's first frame, the index only once the delay begins.
    GameState game = clearing(OneRowAndABlock, 1, 29);
    game.tick(0);
    EXPECT_EQ(game.level, 30u);
    run(game, LineClearFrames - 1);
    EXPECT_EQ(game.phase, ARE);
    EXPECT_EQ(game.gravityIndex, 0u);
    EXPECT_EQ(game.tick(0).gravityIndex, 1u);

    // The next piece then falls at the new speed: twenty rows a frame from level 500.
    GameState fast = areState(0, PieceT);
    fast.level = 500;
    fast.gravityIndex = 28;
    run(fast, EntryDelayFrames);
    ASSERT_EQ(fast.phase, ACTIVE);
    EXPECT_EQ(fast.tick(0).pieceRow, 18);
}

TEST(AllClear, TheWellCountsAsClearWhenEveryRowIsFullOrEmpty) {
    EXPECT_TRUE(stateIn(ACTIVE).isAllClear());
    EXPECT_TRUE(clearing(FourRows, 4, 0).isAllClear());
    Board hiddenRowFull = emptyBoard();
    for (int column = 0; column < BoardColumns; ++column) {
        hiddenRowFull = withBlock(hiddenRowFull, column, 0);
    }
    EXPECT_TRUE(clearing(hiddenRowFull, 0, 0).isAllClear());
    EXPECT_FALSE(clearing(FourRowsAndABlock, 4, 0).isAllClear());
    EXPECT_FALSE(clearing(withBlock(FourRows, 9, 0), 4, 0).isAllClear());
}
