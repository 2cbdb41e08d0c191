#include "play_helpers.h"

#include <array>

std::optional<PieceInView> WaitForPiece(GameSession& game, const CellSet& settled,
                                        unsigned minFrames, std::chrono::milliseconds limit) {
    std::optional<PieceInView> found;
    game.waitFor(
        [&](const ScreenReading& r) {
            const auto frames = DisplayedNumber(r.frames);
            if (!Recognised(r) || r.phase != "ACTIVE" || !frames || *frames < minFrames) {
                return false;
            }
            const CellSet piece = Without(FilledCells(r), settled);
            if (piece.empty()) {
                return false;
            }
            const int kind = r.board[piece.begin()->first - 1][piece.begin()->second];
            if (const auto at = FindPiece(r, settled, kind)) {
                found = PieceInView{r, kind, *at};
                return true;
            }
            return false;
        },
        limit);
    return found;
}

std::optional<int> ColumnOfPiece(const ScreenReading& reading, const CellSet& settled, int kind,
                                 int rotation) {
    for (int column = -3; column < WellColumns; ++column) {
        if (RowOfPiece(reading, settled, kind, rotation, column)) {
            return column;
        }
    }
    return std::nullopt;
}

std::optional<CellSet> SoftDropAndSettle(GameSession& game) {
    game.press("s");
    const auto locked = game.waitFor(
        [](const ScreenReading& r) { return Recognised(r) && r.phase != "ACTIVE"; }, 5s);
    game.release("s");
    if (!locked) {
        return std::nullopt;
    }
    const auto delay =
        game.waitFor([](const ScreenReading& r) { return Recognised(r) && r.phase == "ARE"; }, 2s);
    if (!delay) {
        return std::nullopt;
    }
    return FilledCells(*delay);
}

std::string GradeForScore(unsigned score) {
    static const std::array<unsigned, 17> thresholds = {400,   800,   1400,  2000,   3500,  5500,
                                                        8000,  12000, 16000, 22000,  30000, 40000,
                                                        52000, 66000, 82000, 100000, 120000};
    static const std::array<const char*, 18> labels = {" 9", " 8", " 7", " 6", " 5", " 4",
                                                       " 3", " 2", " 1", "S1", "S2", "S3",
                                                       "S4", "S5", "S6", "S7", "S8", "S9"};
    std::size_t grade = 0;
    while (grade < thresholds.size() && score > thresholds[grade]) {
        ++grade;
    }
    return labels[grade];
}

unsigned GravityIndexForLevel(unsigned level) {
    static const std::array<unsigned, 29> nextRowFrom = {
        30,  35,  40,  50,  60,  70,  80,  90,  100, 120, 140, 160, 170, 200, 220,
        230, 233, 236, 239, 243, 247, 251, 300, 330, 360, 400, 420, 450, 500};
    unsigned index = 0;
    while (index < nextRowFrom.size() && level >= nextRowFrom[index]) {
        ++index;
    }
    return index;
}
