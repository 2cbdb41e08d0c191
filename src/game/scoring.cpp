// Progress: the points and level of a line clear, the level step of each piece, the speed
// that follows the level, and the grade that follows the points.
#include "phase_steps.h"

#include <algorithm>
#include <limits>

namespace {

struct TopGradeCondition {
    std::uint32_t level;
    std::uint32_t minimumScore;
    std::uint32_t latestFrame;
    bool GameState::*met;
};

constexpr TopGradeCondition TopGradeConditions[] = {
    {300, 12000, 15300, &GameState::topGrade300},
    {500, 40000, 27000, &GameState::topGrade500},
    {999, 126000, 48600, &GameState::topGrade999},
};

constexpr std::uint32_t LastScoredGrade = 17;

std::uint64_t ceilQuarter(std::uint32_t value) {
    return value / 4u + (value % 4u != 0 ? 1u : 0u);
}

bool rowIsEmpty(const Board& board, int row) {
    const PieceKind* first = &board[cellIndex(0, row)];
    return std::all_of(first, first + BoardColumns, [](PieceKind cell) { return cell == NoPiece; });
}

void raiseGrade(GameState& game) {
    const bool topGradeEarned = game.topGrade300 && game.topGrade500 && game.topGrade999;
    if (game.grade == LastScoredGrade && topGradeEarned) {
        game.grade = TopGrade;
        return;
    }
    while (game.grade < LastScoredGrade && game.score > GradeTable[game.grade]) {
        ++game.grade;
    }
}

} // namespace

bool GameState::isAllClear() const {
    for (int row = 0; row < BoardRows; ++row) {
        if (!rowIsFull(board, row) && !rowIsEmpty(board, row)) {
            return false;
        }
    }
    return true;
}

void scoreLineClear(GameState& game) {
    // A line clear always has rows to score.
    const std::uint32_t rows = game.clearedCount;
    game.combo += 2 * rows - 2;
    game.allClearFactor = game.isAllClear() ? 4 : 1;
    const std::uint32_t levelBefore = game.level;
    const std::uint32_t levelAfter = levelBefore + rows;

    // A score at the top of its range stays there rather than wrapping round to a small one.
    const std::uint64_t points =
        (ceilQuarter(levelAfter) + game.softDropFrames) * game.combo * rows * game.allClearFactor;
    const std::uint64_t total = std::uint64_t{game.score} + points;
    game.score = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(total, std::numeric_limits<std::uint32_t>::max()));

    for (const TopGradeCondition& condition : TopGradeConditions) {
        if (levelBefore < condition.level && condition.level <= levelAfter &&
            game.score >= condition.minimumScore && game.frameCount <= condition.latestFrame) {
            game.*condition.met = true;
        }
    }
    game.level = std::min(levelAfter, MaxLevel);
    raiseGrade(game);
}

void stepLevel(GameState& game) {
    const bool stopped = game.level % 100 == 99 || game.level == 998;
    if (!stopped) {
        ++game.level;
    }
}

void stepGravity(GameState& game) {
    if (game.level >= GravityTable[game.gravityIndex].nextLevel) {
        ++game.gravityIndex;
    }
}
