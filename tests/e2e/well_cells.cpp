#include "well_cells.h"

#include <sstream>

namespace {

// Per kind, per rotation: the four (column offset, row offset) pairs.
constexpr std::array<std::array<Shape, 4>, 7> Shapes = {{
    // I
    {{{{{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      {{{2, 0}, {2, 1}, {2, 2}, {2, 3}}},
      {{{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      {{{2, 0}, {2, 1}, {2, 2}, {2, 3}}}}},
    // Z
    {{{{{0, 1}, {1, 1}, {1, 2}, {2, 2}}},
      {{{2, 0}, {1, 1}, {2, 1}, {1, 2}}},
      {{{0, 1}, {1, 1}, {1, 2}, {2, 2}}},
      {{{2, 0}, {1, 1}, {2, 1}, {1, 2}}}}},
    // S
    {{{{{1, 1}, {2, 1}, {0, 2}, {1, 2}}},
      {{{0, 0}, {0, 1}, {1, 1}, {1, 2}}},
      {{{1, 1}, {2, 1}, {0, 2}, {1, 2}}},
      {{{0, 0}, {0, 1}, {1, 1}, {1, 2}}}}},
    // O
    {{{{{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
      {{{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
      {{{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
      {{{1, 1}, {2, 1}, {1, 2}, {2, 2}}}}},
    // T: points down in rotation 0, right in 1, up in 2, left in 3
    {{{{{0, 1}, {1, 1}, {2, 1}, {1, 2}}},
      {{{1, 0}, {1, 1}, {2, 1}, {1, 2}}},
      {{{1, 1}, {0, 2}, {1, 2}, {2, 2}}},
      {{{1, 0}, {0, 1}, {1, 1}, {1, 2}}}}},
    // L
    {{{{{0, 1}, {1, 1}, {2, 1}, {0, 2}}},
      {{{1, 0}, {1, 1}, {1, 2}, {2, 2}}},
      {{{2, 1}, {0, 2}, {1, 2}, {2, 2}}},
      {{{0, 0}, {1, 0}, {1, 1}, {1, 2}}}}},
    // J
    {{{{{0, 1}, {1, 1}, {2, 1}, {2, 2}}},
      {{{1, 0}, {2, 0}, {1, 1}, {1, 2}}},
      {{{0, 1}, {0, 2}, {1, 2}, {2, 2}}},
      {{{1, 0}, {1, 1}, {0, 2}, {1, 2}}}}},
}};

} // namespace

Shape ShapeOf(int kind, int rotation) {
    return Shapes[kind][rotation];
}

CellSet FilledCells(const ScreenReading& reading) {
    CellSet cells;
    for (int row = 1; row <= WellRows; ++row) {
        for (int column = 0; column < WellColumns; ++column) {
            if (reading.board[row - 1][column] != EmptyCell) {
                cells.insert({row, column});
            }
        }
    }
    return cells;
}

CellSet PieceCells(int kind, int rotation, int column, int row) {
    CellSet cells;
    for (const Offset& offset : ShapeOf(kind, rotation)) {
        if (row + offset.row >= 1) {
            cells.insert({row + offset.row, column + offset.column});
        }
    }
    return cells;
}

CellSet Without(const CellSet& cells, const CellSet& removed) {
    CellSet rest;
    for (const Cell& cell : cells) {
        if (removed.count(cell) == 0) {
            rest.insert(cell);
        }
    }
    return rest;
}

bool AllOfKind(const ScreenReading& reading, const CellSet& cells, int kind) {
    for (const auto& [row, column] : cells) {
        if (row < 1 || row > WellRows || column < 0 || column >= WellColumns ||
            reading.board[row - 1][column] != kind) {
            return false;
        }
    }
    return true;
}

std::optional<int> RowOfPiece(const ScreenReading& reading, const CellSet& settled, int kind,
                              int rotation, int column) {
    const CellSet shown = FilledCells(reading);
    const CellSet piece = Without(shown, settled);
    for (int row = 0; row <= WellRows; ++row) {
        const CellSet expected = PieceCells(kind, rotation, column, row);
        if (expected.size() == 4 && expected == piece && AllOfKind(reading, piece, kind) &&
            Without(shown, piece) == settled) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<Placement> FindPiece(const ScreenReading& reading, const CellSet& settled, int kind) {
    for (int rotation = 0; rotation < 4; ++rotation) {
        for (int column = -3; column < WellColumns; ++column) {
            if (const auto row = RowOfPiece(reading, settled, kind, rotation, column)) {
                return Placement{rotation, column, *row};
            }
        }
    }
    return std::nullopt;
}

bool PreviewShows(const ScreenReading& reading, int kind) {
    for (int rowOffset = 1; rowOffset <= 2; ++rowOffset) {
        for (int columnOffset = 0; columnOffset < 4; ++columnOffset) {
            bool inShape = false;
            for (const Offset& offset : ShapeOf(kind, 0)) {
                inShape = inShape || (offset.column == columnOffset && offset.row == rowOffset);
            }
            const int shown = reading.nextCells[rowOffset - 1][columnOffset];
            if (shown != (inShape ? kind : EmptyCell)) {
                return false;
            }
        }
    }
    return true;
}

std::string CellsText(const CellSet& cells) {
    std::ostringstream text;
    for (const auto& [row, column] : cells) {
        text << "(" << row << "," << column << ")";
    }
    return text.str();
}
