#include "icon_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "block_faces.h"

namespace {
constexpr int Cells = 4;
constexpr int CellSize = IconFullSize / Cells;

// Piece kinds, rows top to bottom: a Z, an L and a J resting on an I (green, orange, blue, red).
constexpr std::array<std::array<int, Cells>, Cells> Layout = {{
    {1, 1, 5, 5},
    {6, 1, 1, 5},
    {6, 6, 6, 5},
    {0, 0, 0, 0},
}};

// One channel of the largest icon's pixel (x, y), y from the top.
double FullSizeTexel(int x, int y, int channel) {
    const BlockFaceImage& face = BlockFaces[Layout[y / CellSize][x / CellSize]];
    const int storedRow = CellSize - 1 - y % CellSize; // faces are stored bottom row first
    return face.pixels[(storedRow * CellSize + x % CellSize) * 3 + channel];
}

// How much of the largest icon's pixel column (or row) `in`, which overlaps the column `out` of
// an icon `scale` times smaller, lies under it, as a share of the width of `out`.
double Coverage(int out, int in, double scale) {
    const double from = out * scale;
    return (std::min(in + 1.0, from + scale) - std::max<double>(in, from)) / scale;
}

// The first of the largest icon's pixel columns (or rows) that the column `out` of an icon of
// `size` overlaps, and the one past the last.
std::pair<int, int> Overlapped(int out, int size) {
    return {out * IconFullSize / size,
            static_cast<int>(std::ceil(static_cast<double>((out + 1) * IconFullSize) / size))};
}
} // namespace

std::vector<std::uint8_t> IconPixels(int size) {
    const double scale = static_cast<double>(IconFullSize) / size;
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < size; ++y) {
        const auto [firstY, endY] = Overlapped(y, size);
        for (int x = 0; x < size; ++x) {
            const auto [firstX, endX] = Overlapped(x, size);
            for (int channel = 0; channel < 3; ++channel) {
                double sum = 0.0;
                for (int inY = firstY; inY < endY; ++inY) {
                    for (int inX = firstX; inX < endX; ++inX) {
                        sum += Coverage(y, inY, scale) * Coverage(x, inX, scale) *
                               FullSizeTexel(inX, inY, channel);
                    }
                }
                pixels.push_back(static_cast<std::uint8_t>(sum + 0.5));
            }
        }
    }
    return pixels;
}
