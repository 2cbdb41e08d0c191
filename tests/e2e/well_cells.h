// What the tests know of the pieces, written down from the rules on their own rather than taken
// from the program: the four cells of each kind in each rotation, and the cell sets that a
// reading of the well is compared against.
#pragma once

#include "screen_reader.h"

#include <array>
#include <optional>
#include <set>
#include <string>
#include <utility>

constexpr int KindI = 0;
constexpr int KindO = 3;
constexpr int KindT = 4;
constexpr int KindL = 5;
constexpr int KindJ = 6;

struct Offset {
    int column;
    int row; // grows downwards, as the well's rows do
};
using Shape = std::array<Offset, 4>;

Shape ShapeOf(int kind, int rotation);

using Cell = std::pair<int, int>; // (row, column) of the well, rows 1..20 visible
using CellSet = std::set<Cell>;

// The filled cells of a reading, whatever their kind.
CellSet FilledCells(const ScreenReading& reading);
// The cells of a piece whose box origin is at the column and row; cells in the hidden row 0
// are left out.
CellSet PieceCells(int kind, int rotation, int column, int row);
CellSet Without(const CellSet& cells, const CellSet& removed);
bool AllOfKind(const ScreenReading& reading, const CellSet& cells, int kind);

// The row of a piece of the kind, rotation and column that, together with the settled cells,
// makes up exactly what the well shows, all four of its cells visible and of its kind.
std::optional<int> RowOfPiece(const ScreenReading& reading, const CellSet& settled, int kind,
                              int rotation, int column);

struct Placement {
    int rotation;
    int column;
    int row;
};
// Where a piece of the kind stands when the well shows it, all four cells visible, besides the
// settled cells; the lowest rotation index that fits when two rotations look alike.
std::optional<Placement> FindPiece(const ScreenReading& reading, const CellSet& settled, int kind);

// The preview as the rules draw it: the kind's rotation-0 cells in the preview's 2 x 4 cells.
bool PreviewShows(const ScreenReading& reading, int kind);

std::string CellsText(const CellSet& cells);
