// Reads a picture of the game the way a player reads the screen, whether GL or the X server took
// it: block kinds by the colour at a face's centre, text against the program's own glyph sheet,
// the well frame's bars. It knows the camera on its own, so a fault in the program's camera
// moves the picture away from where this reader looks.
#pragma once

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "glyph_sheet.h"

using Rgb = glm::ivec3; // -1 off the picture

inline bool Near(Rgb a, Rgb b, int tolerance = 24) {
    return glm::all(glm::lessThanEqual(glm::abs(a - b), Rgb(tolerance)));
}

// The window's pixels, top row first, three bytes each.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    // Where the eye at (0, 0, 36.21) looking at the origin, y up, with a vertical field of view
    // of 45 degrees and planes at 0.1 and 1000, sees a world point; the viewport fills the window.
    Rgb at(glm::vec3 world) const {
        const glm::vec4 clip =
            glm::perspective(glm::radians(45.0f), 1.0f * width / height, 0.1f, 1000.0f) *
            glm::lookAt(glm::vec3(0, 0, 36.21f), glm::vec3(0), glm::vec3(0, 1, 0)) *
            glm::vec4(world, 1);
        const int x = static_cast<int>((clip.x / clip.w + 1) * width / 2);
        const int y = static_cast<int>((1 - clip.y / clip.w) * height / 2);
        const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
        return x < 0 || y < 0 || x >= width || y >= height ? Rgb(-1)
                                                           : Rgb(rgb[at], rgb[at + 1], rgb[at + 2]);
    }
};

// The kind whose face shows the colour at its centre, as its letter; '.' for the black ground.
inline char KindOf(Rgb colour) {
    const Rgb centres[7] = {{219, 50, 0},  {67, 170, 9},  {200, 0, 208}, {188, 171, 23},
                            {8, 147, 189}, {219, 108, 0}, {1, 59, 215}};
    const auto kind =
        std::find_if(centres, centres + 7, [&](Rgb centre) { return Near(colour, centre); });
    return kind != centres + 7 ? "IZSOTLJ"[kind - centres] : Near(colour, Rgb(0)) ? '.' : '?';
}

// Rows of cells, a line end after each, from the cell whose lower-left corner is at (x, y):
// ReadCells(picture, -5, 10, 10, 20) the well's visible rows 1 to 20 (row r lies at y 11 - r),
// ReadCells(picture, -2, 14, 4, 2) rows 1 and 2 of the next piece's box.
inline std::string ReadCells(const Picture& picture, float x, float y, int columns, int rows) {
    std::string cells;
    for (int cell = 0; cell < columns * rows; ++cell) {
        cells += KindOf(picture.at({x + cell % columns + 0.5f, y - cell / columns + 0.5f, 0}));
        cells += cell % columns == columns - 1 ? "\n" : "";
    }
    return cells;
}

// `length` glyphs from the lower-left corner of the first at (x, y, 0), each texel matched
// against the sheet: its colour where the sheet is opaque, black where it is transparent. A
// glyph that matches no cell but for one texel reads as '?'.
inline std::string ReadText(const Picture& picture, float x, float y, int length) {
    std::string text;
    for (int glyph = 0; glyph < length; ++glyph) {
        std::array<int, GlyphCount> misses{};
        for (int texel = 0; texel < 64; ++texel) {
            const Rgb seen =
                picture.at({x + glyph + (texel % 8 + 0.5f) / 8, y + (texel / 8 + 0.5f) / 8, 0});
            for (int cell = 0; cell < GlyphCount; ++cell) {
                const unsigned char* t =
                    &GlyphSheet.pixels[(texel / 8 * 512 + cell * 8 + texel % 8) * 4];
                misses[cell] += !Near(seen, Rgb(t[0], t[1], t[2]) * (t[3] / 255));
            }
        }
        const auto best = std::min_element(misses.begin(), misses.end());
        text += *best <= 1 ? static_cast<char>(FirstGlyphCode + (best - misses.begin())) : '?';
    }
    return text;
}

// The frame counter of the display, or -1 when it shows no number.
inline long ReadFrames(const Picture& picture) {
    const std::string digits = ReadText(picture, -13, 1, 7);
    return digits.find_first_not_of(" 0123456789") == std::string::npos && digits[6] != ' '
               ? std::stol(digits)
               : -1;
}

// Across the middle of each bar of the well frame (x -5.75..5.75, y -9.75..11.75, 0.75 wide,
// at z 0.1): grey on the bar, black half a unit out and half a unit in.
inline bool FrameBars(const Picture& picture) {
    const glm::vec3 bars[4][2] = {{{-5.375f, 1, 0.1f}, {-0.5f, 0, 0}},
                                  {{5.375f, -3, 0.1f}, {0.5f, 0, 0}},
                                  {{0, 11.375f, 0.1f}, {0, 0.5f, 0}},
                                  {{2, -9.375f, 0.1f}, {0, -0.5f, 0}}};
    return std::all_of(bars, bars + 4, [&](const glm::vec3(&bar)[2]) {
        const Rgb grey = picture.at(bar[0]);
        return Near(grey, Rgb(grey.r), 2) && grey.r > 90 && grey.r < 250 &&
               Near(picture.at(bar[0] + bar[1]), Rgb(0), 0) &&
               Near(picture.at(bar[0] - bar[1]), Rgb(0), 0);
    });
}
