// The game's icon at every size the desktop asks for: the largest is the block faces as they
// are, a smaller one each pixel the mean of the area of the largest that it covers.
#include <gtest/gtest.h>

#include <cmath>

#include "block_faces.h"
#include "icon_image.h"

TEST(Icon, EverySizeIsTheLargestAveragedOverTheAreaEachPixelCovers) {
    // A Z, an L and a J resting on an I, rows from the top; faces are stored bottom row first.
    const int cells[4][4] = {{1, 1, 5, 5}, {6, 1, 1, 5}, {6, 6, 6, 5}, {0, 0, 0, 0}};
    const std::vector<std::uint8_t> largest = IconPixels(256);
    int wrong = 0;
    for (int at = 0; at < 256 * 256 * 3; ++at) {
        const int x = at / 3 % 256, y = at / 3 / 256;
        const BlockFaceImage& face = BlockFaces[cells[y / 64][x / 64]];
        wrong += largest[at] != face.pixels[((63 - y % 64) * 64 + x % 64) * 3 + at % 3];
    }
    EXPECT_EQ(wrong, 0) << "pixels unlike their faces";
    // Sizes that divide the largest: each pixel the rounded mean of its square of pixels.
    for (const int size : {128, 64, 1}) {
        const std::vector<std::uint8_t> icon = IconPixels(size);
        const int side = 256 / size;
        for (int at = 0; at < size * size * 3; ++at) {
            const int x = at / 3 % size, y = at / 3 / size;
            double sum = 0;
            for (int covered = 0; covered < side * side; ++covered) {
                sum += largest[((y * side + covered / side) * 256 + x * side + covered % side) * 3 +
                               at % 3];
            }
            ASSERT_NEAR(icon[at], sum / (side * side), 0.5 + 1e-9) << size << " px, at " << at;
        }
    }
    // Any other size keeps the colours' means, short of each pixel's rounding.
    const auto mean = [](const std::vector<std::uint8_t>& pixels, int channel) {
        double sum = 0;
        for (std::size_t i = channel; i < pixels.size(); i += 3) {
            sum += pixels[i];
        }
        return sum / static_cast<double>(pixels.size() / 3);
    };
    for (const int size : {100, 48, 24, 3}) {
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_NEAR(mean(IconPixels(size), channel), mean(largest, channel), 0.5)
                << size << " px, channel " << channel;
        }
    }
}
