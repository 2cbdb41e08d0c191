// The glyph sheet: record layout, cell order, colours and alpha, the shadow rule, and glyphs that
// can be told apart when text is read back from the screen.
#include "glyph_sheet.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

struct Rgba {
    int red, green, blue, alpha;
    bool operator==(const Rgba& other) const {
        return red == other.red && green == other.green && blue == other.blue &&
               alpha == other.alpha;
    }
};

constexpr int Cell = 8;
constexpr int SheetWidth = 512;

// The face colour of each pixel row, top row first.
const Rgba FaceColours[Cell] = {
    {247, 247, 247, 255}, {247, 247, 247, 255}, {214, 247, 222, 255}, {189, 247, 206, 255},
    {164, 247, 181, 255}, {148, 247, 164, 255}, {132, 247, 140, 255}, {132, 247, 140, 255},
};
const Rgba Shadow = {58, 0, 156, 255};

Rgba storedTexel(int sheetColumn, int storedRow) {
    const std::uint8_t* texel = &GlyphSheet.pixels[(storedRow * SheetWidth + sheetColumn) * 4];
    return {texel[0], texel[1], texel[2], texel[3]};
}

// Seen as on screen, with the glyph's top row up.
Rgba glyphTexel(int code, int column, int rowFromTop) {
    return storedTexel((code - 32) * Cell + column, Cell - 1 - rowFromTop);
}

bool isFace(int code, int column, int rowFromTop) {
    return glyphTexel(code, column, rowFromTop) == FaceColours[rowFromTop];
}

bool isShadow(int code, int column, int rowFromTop) {
    return glyphTexel(code, column, rowFromTop) == Shadow;
}

using FaceMask = std::array<bool, Cell * Cell>;

FaceMask faceMask(int code) {
    FaceMask mask{};
    for (int row = 0; row < Cell; ++row) {
        for (int column = 0; column < Cell; ++column) {
            mask[row * Cell + column] = isFace(code, column, row);
        }
    }
    return mask;
}

int faceCount(int code) {
    int count = 0;
    for (bool face : faceMask(code)) {
        count += face ? 1 : 0;
    }
    return count;
}

std::string drawing(int code) {
    std::string art;
    for (int row = 0; row < Cell; ++row) {
        for (int column = 0; column < Cell; ++column) {
            art += isFace(code, column, row) ? '#' : isShadow(code, column, row) ? '+' : '.';
        }
        art += '\n';
    }
    return art;
}

TEST(GlyphSheet, IsA512By8RgbaRecordEndingInAZeroTerminator) {
    EXPECT_EQ(GlyphSheet.width, 512u);
    EXPECT_EQ(GlyphSheet.height, 8u);
    EXPECT_EQ(GlyphSheet.bytesPerPixel, 4u);
    EXPECT_EQ(sizeof(GlyphSheet.pixels), 16384u);
    EXPECT_EQ(GlyphSheet.terminator, 0);
}

TEST(GlyphSheet, EveryTexelIsOpaqueOrFullyTransparentAndTransparentOnesAreBlackOrWhite) {
    for (int row = 0; row < Cell; ++row) {
        for (int column = 0; column < SheetWidth; ++column) {
            const Rgba texel = storedTexel(column, row);
            ASSERT_TRUE(texel.alpha == 0 || texel.alpha == 255)
                << "alpha " << texel.alpha << " at column " << column << ", stored row " << row;
            if (texel.alpha == 0) {
                const bool black = texel.red == 0 && texel.green == 0 && texel.blue == 0;
                const bool white = texel.red == 255 && texel.green == 255 && texel.blue == 255;
                ASSERT_TRUE(black || white) << "column " << column << ", stored row " << row;
            }
        }
    }
}

TEST(GlyphSheet, EveryOpaqueTexelIsTheFaceColourOfItsRowOrTheVioletShadow) {
    for (int code = 32; code < 96; ++code) {
        for (int row = 0; row < Cell; ++row) {
            for (int column = 0; column < Cell; ++column) {
                if (glyphTexel(code, column, row).alpha == 255) {
                    ASSERT_TRUE(isFace(code, column, row) || isShadow(code, column, row))
                        << "'" << static_cast<char>(code) << "' column " << column << ", row "
                        << row << " from the top";
                }
            }
        }
    }
}

TEST(GlyphSheet, TheShadowLiesRightOfAndBelowTheFaceWhereverTheFaceIsNot) {
    for (int code = 32; code < 96; ++code) {
        for (int row = 0; row < Cell; ++row) {
            for (int column = 0; column < Cell; ++column) {
                const bool besideFace = column > 0 && isFace(code, column - 1, row);
                const bool belowFace = row > 0 && isFace(code, column, row - 1);
                const bool expectShadow = !isFace(code, column, row) && (besideFace || belowFace);
                ASSERT_EQ(isShadow(code, column, row), expectShadow)
                    << "'" << static_cast<char>(code) << "' column " << column << ", row " << row
                    << " from the top\n"
                    << drawing(code);
            }
        }
    }
}

TEST(GlyphSheet, TheLastColumnAndBottomRowOfEveryCellAreLeftToTheShadow) {
    for (int code = 32; code < 96; ++code) {
        for (int i = 0; i < Cell; ++i) {
            EXPECT_FALSE(isFace(code, Cell - 1, i)) << drawing(code);
            EXPECT_FALSE(isFace(code, i, Cell - 1)) << drawing(code);
        }
    }
}

TEST(GlyphSheet, RowsAreStoredBottomToTopSoTheGlyphsTopRowComesLast) {
    int topRowFaces = 0;
    for (int column = 0; column < SheetWidth; ++column) {
        const Rgba bottom = storedTexel(column, 0);
        EXPECT_TRUE(bottom.alpha == 0 || bottom == Shadow) << "column " << column;
        const Rgba top = storedTexel(column, Cell - 1);
        EXPECT_TRUE(top.alpha == 0 || top == FaceColours[0] || top == Shadow)
            << "column " << column;
        topRowFaces += top == FaceColours[0] ? 1 : 0;
    }
    EXPECT_GT(topRowFaces, 0);
}

TEST(GlyphSheet, TheFirstAndLastColumnsOfTheSheetAreFullyTransparent) {
    for (int row = 0; row < Cell; ++row) {
        EXPECT_EQ(storedTexel(0, row).alpha, 0);
        EXPECT_EQ(storedTexel(SheetWidth - 1, row).alpha, 0);
    }
}

TEST(GlyphSheet, SpaceCaretAndUnderscoreAreEmptyAndEveryOtherCellDrawsAGlyph) {
    for (int code = 32; code < 96; ++code) {
        const bool empty = code == ' ' || code == '^' || code == '_';
        int opaque = 0;
        for (int row = 0; row < Cell; ++row) {
            for (int column = 0; column < Cell; ++column) {
                opaque += glyphTexel(code, column, row).alpha == 255 ? 1 : 0;
            }
        }
        if (empty) {
            EXPECT_EQ(opaque, 0) << "'" << static_cast<char>(code) << "'";
        } else {
            EXPECT_GT(faceCount(code), 0) << "'" << static_cast<char>(code) << "'";
        }
    }
}

// Text is read back from screenshots by matching cells, so a look-alike pair would misread.
TEST(GlyphSheet, DigitsAndCapitalLettersDifferPairwiseInSeveralPixels) {
    std::string characters = "0123456789";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        characters += letter;
    }
    constexpr int MinimumDifference = 4;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const FaceMask first = faceMask(characters[i]);
        for (std::size_t j = i + 1; j < characters.size(); ++j) {
            const FaceMask second = faceMask(characters[j]);
            int differences = 0;
            for (std::size_t pixel = 0; pixel < first.size(); ++pixel) {
                differences += first[pixel] != second[pixel] ? 1 : 0;
            }
            EXPECT_GE(differences, MinimumDifference)
                << "'" << characters[i] << "' and '" << characters[j] << "'\n"
                << drawing(characters[i]) << "\n"
                << drawing(characters[j]);
        }
    }
}

TEST(GlyphSheet, TheOpeningBracketHoldsARightArrowAndTheBackslashItsMirrorImage) {
    const int lastColumn = Cell - 2;
    for (int row = 0; row < Cell; ++row) {
        for (int column = 0; column <= lastColumn; ++column) {
            EXPECT_EQ(isFace('[', column, row), isFace('\\', lastColumn - column, row))
                << drawing('[') << "\n"
                << drawing('\\');
        }
    }
    // The head narrows to a one-pixel tip at the right; the tail at the left is thicker.
    int tipHeight = 0;
    int tailHeight = 0;
    for (int row = 0; row < Cell; ++row) {
        tipHeight += isFace('[', lastColumn, row) ? 1 : 0;
        tailHeight += isFace('[', 0, row) ? 1 : 0;
    }
    EXPECT_EQ(tipHeight, 1) << drawing('[');
    EXPECT_GT(tailHeight, 1) << drawing('[');
}

TEST(GlyphPixelOpaque, AgreesWithTheSheetsAlphaInEveryCell) {
    for (int code = 32; code < 96; ++code) {
        for (int row = 0; row < Cell; ++row) {
            for (int column = 0; column < Cell; ++column) {
                ASSERT_EQ(glyphPixelOpaque(static_cast<char>(code), column, row),
                          glyphTexel(code, column, row).alpha == 255)
                    << "'" << static_cast<char>(code) << "' column " << column << ", row " << row;
            }
        }
    }
}

TEST(GlyphPixelOpaque, IsFalseForCodesWithoutACellAndPositionsOutsideIt) {
    for (char code : {'\x1f', '`', 'a', '~', '\x80', '\xff'}) {
        for (int row = 0; row < Cell; ++row) {
            for (int column = 0; column < Cell; ++column) {
                EXPECT_FALSE(glyphPixelOpaque(code, column, row)) << static_cast<int>(code);
            }
        }
    }
    for (int code = 32; code < 96; ++code) {
        for (int i = 0; i < Cell; ++i) {
            EXPECT_FALSE(glyphPixelOpaque(static_cast<char>(code), -1, i));
            EXPECT_FALSE(glyphPixelOpaque(static_cast<char>(code), Cell, i));
            EXPECT_FALSE(glyphPixelOpaque(static_cast<char>(code), i, -1));
            EXPECT_FALSE(glyphPixelOpaque(static_cast<char>(code), i, Cell));
        }
    }
}

} // namespace
