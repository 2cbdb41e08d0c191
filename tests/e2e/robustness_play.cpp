#include "robustness_play.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// Kinds whose rotations 2 and 3 look like 0 and 1 (I, Z, S), and the O, which never changes.
int DistinctRotations(int kind) {
    if (kind == KindO) {
        return 1;
    }
    return kind <= 2 ? 2 : 4;
}

bool Fits(const CellSet& settled, int kind, int rotation, int column, int row) {
    for (const Offset& offset : ShapeOf(kind, rotation)) {
        const int cellColumn = column + offset.column;
        const int cellRow = row + offset.row;
        if (cellColumn < 0 || cellColumn >= WellColumns || cellRow > WellRows ||
            settled.count({cellRow, cellColumn}) != 0) {
            return false;
        }
    }
    return true;
}

// Known weights for judging a stack by its rows, height, holes and roughness.
double Judge(const CellSet& cells, int& rowsFilled) {
    std::array<int, WellRows + 1> perRow{};
    for (const Cell& cell : cells) {
        perRow[cell.first] += 1;
    }
    rowsFilled = 0;
    CellSet kept;
    for (const Cell& cell : cells) {
        int below = 0;
        for (int row = cell.first + 1; row <= WellRows; ++row) {
            below += perRow[row] == WellColumns ? 1 : 0;
        }
        if (perRow[cell.first] != WellColumns) {
            kept.insert({cell.first + below, cell.second});
        }
    }
    for (int row = 1; row <= WellRows; ++row) {
        rowsFilled += perRow[row] == WellColumns ? 1 : 0;
    }
    std::array<int, WellColumns> heights{};
    int holes = 0;
    for (int column = 0; column < WellColumns; ++column) {
        int top = WellRows + 1;
        for (int row = 1; row <= WellRows; ++row) {
            if (kept.count({row, column}) != 0) {
                top = std::min(top, row);
            } else if (top <= WellRows) {
                holes += 1;
            }
        }
        heights[column] = WellRows + 1 - top;
    }
    int total = 0;
    int roughness = 0;
    for (int column = 0; column < WellColumns; ++column) {
        total += heights[column];
        if (column > 0) {
            roughness += std::abs(heights[column] - heights[column - 1]);
        }
    }
    return 0.76 * rowsFilled - 0.51 * total - 0.36 * holes - 0.18 * roughness;
}

int RotationSteps(int kind, int from, int to) {
    const int count = DistinctRotations(kind);
    return ((to - from) % count + count) % count;
}

} // namespace

std::optional<Placement> LocatePiece(const ScreenReading& reading, const CellSet& settled,
                                     int kind) {
    const CellSet shown = FilledCells(reading);
    const CellSet piece = Without(shown, settled);
    if (piece.empty() || Without(shown, piece) != settled || !AllOfKind(reading, piece, kind)) {
        return std::nullopt;
    }
    for (int rotation = 0; rotation < DistinctRotations(kind); ++rotation) {
        for (int column = -3; column < WellColumns; ++column) {
            for (int row = 0; row <= WellRows; ++row) {
                if (PieceCells(kind, rotation, column, row) == piece) {
                    return Placement{rotation, column, row};
                }
            }
        }
    }
    return std::nullopt;
}

std::optional<PieceInView> WaitForNextPiece(GameSession& game, const CellSet& settled,
                                            std::chrono::milliseconds limit) {
    std::optional<PieceInView> found;
    game.waitFor(
        [&](const ScreenReading& r) {
            if (!Recognised(r) || r.phase != "ACTIVE") {
                return false;
            }
            const CellSet piece = Without(FilledCells(r), settled);
            if (piece.empty()) {
                return false;
            }
            const int kind = r.board[piece.begin()->first - 1][piece.begin()->second];
            if (const auto at = LocatePiece(r, settled, kind)) {
                found = PieceInView{r, kind, *at};
                return true;
            }
            return false;
        },
        limit);
    return found;
}

Target BestTarget(const CellSet& settled, int kind) {
    Target best;
    double bestScore = -1e9;
    for (int rotation = 0; rotation < DistinctRotations(kind); ++rotation) {
        for (int column = -3; column < WellColumns; ++column) {
            if (!Fits(settled, kind, rotation, column, 0)) {
                continue;
            }
            int row = 0;
            while (Fits(settled, kind, rotation, column, row + 1)) {
                ++row;
            }
            CellSet cells = settled;
            for (const Cell& cell : PieceCells(kind, rotation, column, row)) {
                cells.insert(cell);
            }
            int rowsFilled = 0;
            const double score = Judge(cells, rowsFilled);
            if (score > bestScore) {
                bestScore = score;
                best = Target{rotation, column, rowsFilled};
            }
        }
    }
    return best;
}

bool SteerTo(GameSession& game, const CellSet& settled, int kind, const Target& target,
             std::string& trouble) {
    // A tap that the screen does not confirm is tried again, since a busy machine can hold back
    // the program's reading of a key; more than a few means something else is wrong.
    for (int attempt = 0; attempt < 12; ++attempt) {
        std::optional<Placement> at;
        const auto seen = game.waitFor(
            [&](const ScreenReading& r) {
                at = LocatePiece(r, settled, kind);
                return Recognised(r) && r.phase == "ACTIVE" && at.has_value();
            },
            2s);
        if (!seen) {
            trouble = "the piece is not where it can be steered\n" + BoardText(game.lastReading());
            return false;
        }
        const int turns = RotationSteps(kind, at->rotation, target.rotation);
        std::string key;
        Placement expected = *at;
        if (turns != 0) {
            // Rotation n + 1 is a counter-clockwise turn (I), n - 1 clockwise (O).
            key = turns == 3 ? "o" : "i";
            const int count = DistinctRotations(kind);
            expected.rotation = (at->rotation + (turns == 3 ? count - 1 : 1)) % count;
        } else if (at->column != target.column) {
            key = at->column < target.column ? "d" : "a";
            expected.column += at->column < target.column ? 1 : -1;
        } else {
            return true;
        }
        // Let go long before the fourteenth frame, where a held shift would repeat.
        game.tapUntil(
            key,
            [&](const ScreenReading& r) {
                const auto now = LocatePiece(r, settled, kind);
                return now && now->rotation == expected.rotation && now->column == expected.column;
            },
            120ms, 2s);
    }
    trouble = "the piece did not reach rotation " + std::to_string(target.rotation) + ", column " +
              std::to_string(target.column);
    return false;
}
