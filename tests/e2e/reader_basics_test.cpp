// The screen reader's own footing, without a screen: its camera puts the world where the
// program's camera does, it tells the block colours and the glyphs of the display apart, and it
// reads the display's number format.
#include "block_faces.h"
#include "glyph_sheet.h"
#include "screen_reader.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>

namespace {

TEST(ReaderCamera, PutsTheOriginInTheMiddleOfAnyWindow) {
    for (const auto& [width, height] : {std::pair{960, 720}, std::pair{1280, 720}}) {
        const glm::vec2 centre = Camera(width, height).project({0.0f, 0.0f, 0.0f});
        EXPECT_NEAR(centre.x, width / 2.0f, 1e-3f);
        EXPECT_NEAR(centre.y, height / 2.0f, 1e-3f);
    }
}

TEST(ReaderCamera, ShowsThirtyUnitsOfHeightAndFortyOfWidthAtTheStartSize) {
    // The plane z = 0 seen from 36.21 units through 45 degrees: 2 x 36.21 x tan 22.5 = 30.
    const Camera camera(960, 720);
    const glm::vec2 corner = camera.project({20.0f, 15.0f, 0.0f});
    EXPECT_NEAR(corner.x, 960.0f, 0.2f);
    EXPECT_NEAR(corner.y, 0.0f, 0.2f);
    EXPECT_GT(corner.x, 960.0f); // just outside the top right corner
    EXPECT_LT(corner.y, 0.0f);
    const glm::vec2 unit = camera.project({1.0f, -1.0f, 0.0f});
    EXPECT_NEAR(unit.x - 480.0f, 24.0f, 0.01f); // one cell is 720 / 30 pixels
    EXPECT_NEAR(unit.y - 360.0f, 24.0f, 0.01f);
}

TEST(ReaderCamera, AWiderWindowShowsMoreSidewaysAndTheSameHeight) {
    const Camera camera(1280, 720);
    EXPECT_NEAR(camera.project({26.66f, 0.0f, 0.0f}).x, 1280.0f, 0.5f);
    EXPECT_NEAR(camera.project({0.0f, 15.0f, 0.0f}).y, 0.0f, 0.2f);
    EXPECT_NEAR(camera.project({1.0f, 0.0f, 0.0f}).x - 640.0f, 24.0f, 0.01f);
}

TEST(ReaderCamera, SeesTheNearerWellFrameSlightlyLarger) {
    const Camera camera(960, 720);
    EXPECT_GT(camera.project({5.0f, 0.0f, 0.1f}).x, camera.project({5.0f, 0.0f, 0.0f}).x);
}

Rgb FaceTexel(int kind, int column, int rowFromBottom) {
    const std::uint8_t* texel = &BlockFaces[kind].pixels[(rowFromBottom * 64 + column) * 3];
    return {texel[0], texel[1], texel[2]};
}

TEST(ReaderColours, EveryTexelNearTheCentreOfAFaceReadsAsItsKind) {
    // A cell is about 24 pixels wide and its face 64 texels, so the pixel at a face's centre
    // shows a texel within two of the centre one.
    for (int kind = 0; kind < 7; ++kind) {
        for (int row = 30; row <= 34; ++row) {
            for (int column = 30; column <= 34; ++column) {
                EXPECT_EQ(ClassifyBlockColour(FaceTexel(kind, column, row)), kind)
                    << "kind " << kind << " texel " << column << "," << row;
            }
        }
    }
}

TEST(ReaderColours, BlackIsEmptyAndGreyOrTheBorderTonesAreNoKind) {
    EXPECT_EQ(ClassifyBlockColour({0, 0, 0}), EmptyCell);
    EXPECT_EQ(ClassifyBlockColour({10, 12, 9}), EmptyCell);
    EXPECT_EQ(ClassifyBlockColour({150, 150, 150}), UnknownCell); // the well frame
    EXPECT_EQ(ClassifyBlockColour({247, 247, 247}), UnknownCell); // a glyph's face
    for (int kind = 0; kind < 7; ++kind) {
        EXPECT_EQ(ClassifyBlockColour(FaceTexel(kind, 32, 60)), UnknownCell) << "top strip";
        EXPECT_EQ(ClassifyBlockColour(FaceTexel(kind, 60, 32)), UnknownCell) << "right strip";
    }
}

std::bitset<64> Drawn(char code) {
    std::bitset<64> bits;
    const int cell = code - FirstGlyphCode;
    for (int row = 0; row < GlyphSize; ++row) {
        for (int column = 0; column < GlyphSize; ++column) {
            const int pixel = row * 512 + cell * GlyphSize + column;
            bits[row * 8 + column] = GlyphSheet.pixels[pixel * 4 + 3] == 255;
        }
    }
    return bits;
}

TEST(ReaderGlyphs, TheDisplaysCharactersDifferInAtLeastThreeTexels) {
    // The reader accepts one texel read wrongly; three differences keep that unambiguous.
    const std::string used = " 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char a : used) {
        for (char b : used) {
            if (a < b) {
                EXPECT_GE((Drawn(a) ^ Drawn(b)).count(), 3u) << "'" << a << "' and '" << b << "'";
            }
        }
    }
}

TEST(ReaderNumbers, ReadRightAlignedNumbersOfSevenOrMoreCharacters) {
    EXPECT_EQ(DisplayedNumber("      0"), 0u);
    EXPECT_EQ(DisplayedNumber("    625"), 625u);
    EXPECT_EQ(DisplayedNumber("1234567"), 1234567u);
    EXPECT_EQ(DisplayedNumber("12345678"), 12345678u);
    EXPECT_EQ(DisplayedNumber("       "), std::nullopt);
    EXPECT_EQ(DisplayedNumber("   6 25"), std::nullopt);
    EXPECT_EQ(DisplayedNumber("    62?"), std::nullopt);
    EXPECT_EQ(DisplayedNumber("625"), std::nullopt);
}

} // namespace
