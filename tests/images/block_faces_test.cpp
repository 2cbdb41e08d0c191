// The block faces: record layout, the stated colours, the border and field shading, row order.
#include "block_faces.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

namespace {

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
    int brightness() const { return red + green + blue; }
};

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

struct StatedColours {
    Rgb topStrip, fieldTop, centre, corner, rightStrip;
};

// By piece kind 0..6: red, green, magenta, yellow, cyan, orange, blue.
const StatedColours Stated[7] = {
    {{250, 167, 85}, {254, 122, 7}, {219, 50, 0}, {153, 5, 5}, {112, 0, 5}},
    {{141, 255, 59}, {98, 222, 16}, {67, 170, 9}, {34, 91, 1}, {24, 45, 16}},
    {{255, 83, 255}, {248, 5, 255}, {200, 0, 208}, {108, 1, 108}, {59, 6, 51}},
    {{254, 245, 73}, {224, 219, 35}, {188, 171, 23}, {143, 110, 28}, {110, 81, 20}},
    {{59, 239, 255}, {25, 197, 222}, {8, 147, 189}, {3, 80, 126}, {4, 58, 62}},
    {{254, 192, 98}, {255, 160, 29}, {219, 108, 0}, {138, 60, 0}, {98, 40, 0}},
    {{81, 183, 254}, {28, 139, 250}, {1, 59, 215}, {8, 7, 123}, {11, 3, 77}},
};

constexpr int Size = 64;
constexpr int Border = 8;

Rgb storedTexel(const BlockFaceImage& face, int column, int storedRow) {
    const std::uint8_t* texel = &face.pixels[(storedRow * Size + column) * 3];
    return {texel[0], texel[1], texel[2]};
}

// Seen as on screen, with the top edge up.
Rgb texel(const BlockFaceImage& face, int column, int rowFromTop) {
    return storedTexel(face, column, Size - 1 - rowFromTop);
}

void expectArea(int kind, int left, int top, int right, int bottom, Rgb colour, const char* area) {
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            ASSERT_EQ(texel(BlockFaces[kind], column, row), colour)
                << area << " of kind " << kind << " at column " << column << ", row " << row
                << " from the top";
        }
    }
}

TEST(BlockFaces, EveryFaceIsA64By64RgbRecordEndingInAZeroTerminator) {
    for (const BlockFaceImage& face : BlockFaces) {
        EXPECT_EQ(face.width, 64u);
        EXPECT_EQ(face.height, 64u);
        EXPECT_EQ(face.bytesPerPixel, 3u);
        EXPECT_EQ(sizeof(face.pixels), 12288u);
        EXPECT_EQ(face.terminator, 0);
    }
}

TEST(BlockFaces, TheBorderStripsAndCornerSquaresHaveTheirStatedTones) {
    for (int kind = 0; kind < 7; ++kind) {
        const StatedColours& stated = Stated[kind];
        expectArea(kind, 0, 0, Size - Border, Border, stated.topStrip, "top strip");
        expectArea(kind, Size - Border, 0, Size, Border, stated.corner, "top-right corner");
        expectArea(kind, 0, Size - Border, Border, Size, stated.corner, "bottom-left corner");
        expectArea(kind, Size - Border, Border, Size, Size, stated.rightStrip, "right strip");
        expectArea(kind, Border, Size - Border, Size, Size, stated.rightStrip, "bottom strip");
    }
}

TEST(BlockFaces, TheInnerFieldRunsFromItsTopColourToTheCornerToneUniformAcrossEachRow) {
    for (int kind = 0; kind < 7; ++kind) {
        const BlockFaceImage& face = BlockFaces[kind];
        expectArea(kind, Border, Border, Size - Border, Border + 1, Stated[kind].fieldTop,
                   "inner field top row");
        expectArea(kind, Border, Size - Border - 1, Size - Border, Size - Border,
                   Stated[kind].corner, "inner field bottom row");
        for (int row = Border; row < Size - Border; ++row) {
            const Rgb first = texel(face, Border, row);
            expectArea(kind, Border, row, Size - Border, row + 1, first, "inner field row");
            if (row > Border) {
                EXPECT_LE(first.brightness(), texel(face, Border, row - 1).brightness())
                    << "kind " << kind << " row " << row << " is brighter than the row above";
            }
        }
    }
}

TEST(BlockFaces, TheCentreTexelCountedFromTheBottomLeftIsTheStatedColour) {
    for (int kind = 0; kind < 7; ++kind) {
        EXPECT_EQ(storedTexel(BlockFaces[kind], 32, 32), Stated[kind].centre) << "kind " << kind;
    }
}

TEST(BlockFaces, TheLeftStripIsALightToneThatDarkensTowardTheBottom) {
    for (int kind = 0; kind < 7; ++kind) {
        const BlockFaceImage& face = BlockFaces[kind];
        for (int row = Border; row < Size - Border; ++row) {
            const Rgb strip = texel(face, 0, row);
            expectArea(kind, 0, row, Border, row + 1, strip, "left strip row");
            EXPECT_GE(strip.brightness(), texel(face, Border, row).brightness())
                << "kind " << kind << ": the left strip is darker than the field at row " << row;
            EXPECT_GT(strip.brightness(), Stated[kind].corner.brightness());
            if (row > Border) {
                EXPECT_LE(strip.brightness(), texel(face, 0, row - 1).brightness())
                    << "kind " << kind << ": the left strip brightens at row " << row;
            }
        }
        EXPECT_LT(texel(face, 0, Size - Border - 1).brightness(),
                  texel(face, 0, Border).brightness())
            << "kind " << kind;
    }
}

TEST(BlockFaces, NoTexelIsBrighterThanTheTopStripOrDarkerThanTheRightStrip) {
    for (int kind = 0; kind < 7; ++kind) {
        for (int row = 0; row < Size; ++row) {
            for (int column = 0; column < Size; ++column) {
                const int brightness = texel(BlockFaces[kind], column, row).brightness();
                ASSERT_LE(brightness, Stated[kind].topStrip.brightness())
                    << "kind " << kind << " column " << column << " row " << row;
                ASSERT_GE(brightness, Stated[kind].rightStrip.brightness())
                    << "kind " << kind << " column " << column << " row " << row;
            }
        }
    }
}

TEST(BlockFaces, RowsAreStoredBottomToTopSoTheTopStripComesLast) {
    for (int kind = 0; kind < 7; ++kind) {
        for (int storedRow = Size - Border; storedRow < Size; ++storedRow) {
            EXPECT_EQ(storedTexel(BlockFaces[kind], 0, storedRow), Stated[kind].topStrip);
        }
        for (int storedRow = 0; storedRow < Border; ++storedRow) {
            EXPECT_EQ(storedTexel(BlockFaces[kind], Size - 1, storedRow), Stated[kind].rightStrip);
            EXPECT_EQ(storedTexel(BlockFaces[kind], 0, storedRow), Stated[kind].corner);
        }
    }
}

} // namespace
