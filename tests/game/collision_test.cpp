// The shapes of the seven kinds and the collision test against walls, floor and blocks.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace gametest;

namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells cellsOf(PieceKind kind, std::uint32_t rotation) {
    const auto& shape = pieceShape(kind, rotation);
    Cells cells;
    for (int cell = 0; cell < 4; ++cell) {
        cells.emplace_back(shape[cell], shape[4 + cell]);
    }
    return cells;
}

// The cells moved to touch column 0 and row 0, in a fixed order.
Cells normalised(Cells cells) {
    int left = 99;
    int top = 99;
    for (const auto& [column, row] : cells) {
        left = std::min(left, column);
        top = std::min(top, row);
    }
    for (auto& [column, row] : cells) {
        column -= left;
        row -= top;
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

// Box rows 1 and 2 of rotation 0, as the display shows them.
std::string entryPicture(PieceKind kind) {
    std::string picture = "..../....";
    for (const auto& [column, row] : cellsOf(kind, 0)) {
        picture[static_cast<std::size_t>((row - 1) * 5 + column)] = '#';
    }
    return picture;
}

bool fits(PieceKind kind, std::uint32_t rotation, int column, int row,
          const Board& board = emptyBoard()) {
    return !activeState(kind, column, row, rotation, board).collides();
}

} // namespace

TEST(Shapes, EachKindEntersFlatBelowTheHiddenRowAndTurnsCounterClockwiseByRotationPlusOne) {
    EXPECT_EQ(entryPicture(PieceI), "####/....");
    EXPECT_EQ(entryPicture(PieceZ), "##../.##.");
    EXPECT_EQ(entryPicture(PieceS), ".##./##..");
    EXPECT_EQ(entryPicture(PieceO), ".##./.##.");
    EXPECT_EQ(entryPicture(PieceT), "###./.#..");
    EXPECT_EQ(entryPicture(PieceL), "###./#...");
    EXPECT_EQ(entryPicture(PieceJ), "###./..#.");
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        for (std::uint32_t rotation = 0; rotation < 4; ++rotation) {
            // A quarter turn counter-clockwise, with rows growing downward: (c, r) -> (r, -c).
            Cells turned;
            for (const auto& [column, row] : cellsOf(kind, rotation)) {
                turned.emplace_back(row, -column);
            }
            EXPECT_EQ(normalised(turned), normalised(cellsOf(kind, rotation + 1)))
                << "kind " << kind << " rotation " << rotation;
        }
    }
}

TEST(Collision, WallsFloorAndBlocksAreBlockedAndNoPieceNeverCollides) {
    std::vector<int> flatIColumns;
    std::vector<int> oColumns;
    for (int column = -4; column <= 10; ++column) {
        if (fits(PieceI, 0, column, 5)) {
            flatIColumns.push_back(column);
        }
        if (fits(PieceO, 0, column, 5)) {
            oColumns.push_back(column);
        }
    }
    EXPECT_EQ(flatIColumns, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(oColumns, (std::vector<int>{-1, 0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(fits(PieceI, 1, -2, 5)) << "a vertical I in column 0";
    EXPECT_FALSE(fits(PieceI, 1, -3, 5));
    EXPECT_TRUE(fits(PieceI, 1, 0, 17));
    EXPECT_FALSE(fits(PieceI, 1, 0, 18));

    for (PieceKind kind = PieceZ; kind < PieceKindCount; ++kind) {
        for (std::uint32_t rotation = 0; rotation < 4; ++rotation) {
            EXPECT_TRUE(fits(kind, rotation, 3, 18)) << "kind " << kind << " rotation " << rotation;
            EXPECT_FALSE(fits(kind, rotation, 3, 19))
                << "kind " << kind << " rotation " << rotation;
        }
    }

    GameState none = activeState(NoPiece, -5, 30);
    EXPECT_FALSE(none.collides());

    // A T at (3, 5) covers (3, 6), (4, 6), (5, 6) and (4, 7).
    for (const auto& [column, row] : Cells{{3, 6}, {4, 6}, {5, 6}, {4, 7}}) {
        EXPECT_FALSE(fits(PieceT, 0, 3, 5, withBlock(emptyBoard(), column, row, PieceI)))
            << column << ", " << row;
    }
    for (const auto& [column, row] : Cells{{3, 7}, {5, 7}, {4, 5}, {6, 6}}) {
        EXPECT_TRUE(fits(PieceT, 0, 3, 5, withBlock(emptyBoard(), column, row, PieceI)))
            << column << ", " << row;
    }
}
