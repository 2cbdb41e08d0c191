// The form in which every image is carried inside the program: a small header and the raw
// pixel rows, ready to hand to glTexImage2D as they are.
#pragma once

#include <cstdint>

template <std::uint32_t Width, std::uint32_t Height, std::uint32_t BytesPerPixel>
struct ImageRecord {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerPixel;
    std::uint8_t
        pixels[Width * Height * BytesPerPixel]; // rows bottom to top, RGB(A), tightly packed
    std::uint8_t terminator;                    // zero, never read
};

using BlockFaceImage = ImageRecord<64, 64, 3>;
using GlyphSheetImage = ImageRecord<512, 8, 4>;
