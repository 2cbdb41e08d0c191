// Reads a picture of the game the way a player reads the screen, whether GL or the X server took
// it: block kinds by the colour at a face's centre, text against the program's own glyph sheet,
// the well frame's bars. It knows the camera on its own, so that a fault in the program's camera
// moves the picture away from where this reader looks.
#pragma once

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "glyph_sheet.h"

using Rgb = glm::ivec3;

inline bool Near(Rgb a, Rgb b, int tolerance = 24) {
    return glm::all(glm::lessThanEqual(glm::abs(a - b), Rgb(tolerance)));
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB, the top row first unless bottomUp
    bool bottomUp = false;

    // The column and the row (from the top) where a point shows, seen from (0, 0, 36.21)
    // towards the origin, y up, with a vertical field of view of 45 degrees and planes at 0.1
    // and 1000; the rows count from the bottom in a picture stored bottom up.
    glm::ivec2 pixelOf(glm::vec3 world) const {
        const auto view = glm::lookAt(glm::vec3(0, 0, 36.21f), glm::vec3(0), glm::vec3(0, 1, 0));
        const auto lens = glm::perspective(glm::radians(45.0f), 1.0f * width / height, 0.1f, 1e3f);
        const glm::ivec3 p(glm::project(world, view, lens, glm::vec4(0, 0, width, height)));
        return {p.x, bottomUp ? p.y : height - 1 - p.y};
    }
    // White off the picture.
    Rgb at(glm::vec3 world) const {
        const glm::ivec2 p = pixelOf(world);
        const bool seen = p.x >= 0 && p.x < width && p.y >= 0 && p.y < height;
        const std::uint32_t rgb = seen ? pixels[p.y * width + p.x] : ~0u;
        return Rgb(rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255);
    }
};

// Rows of cells from the one whose lower-left corner is at (x, y), each row ending in a line
// end: (-5, 10, 10, 20) the well's visible rows 1 to 20, the row r at y 11 - r; (-2, 14, 4, 2)
// rows 1 and 2 of the next piece's box. A cell reads as the letter of the kind whose face shows
// its colour at the centre, '.' when it is black, '#' when grey like the well frame.
inline std::string ReadCells(const Picture& picture, float x, float y, int columns, int rows) {
    const Rgb centres[7] = {{219, 50, 0},  {67, 170, 9},  {200, 0, 208}, {188, 171, 23},
                            {8, 147, 189}, {219, 108, 0}, {1, 59, 215}};
    std::string cells;
    for (int cell = 0; cell < columns * rows; ++cell) {
        const Rgb seen = picture.at({x + cell % columns + 0.5f, y - cell / columns + 0.5f, 0});
        const Rgb* kind = std::find_if(centres, centres + 7, [&](Rgb c) { return Near(seen, c); });
        cells += kind < centres + 7   ? "IZSOTLJ"[kind - centres]
                 : Near(seen, Rgb(0)) ? '.'
                 : Near(seen, Rgb(seen.r), 2) && seen.r > 90 && seen.r < 250 ? '#'
                                                                             : '?';
        cells += cell % columns == columns - 1 ? "\n" : "";
    }
    return cells;
}

// `length` glyphs of side `scale` from the lower-left corner of the first at (x, y, 0), every
// texel matched with the sheet's: its colour where the sheet is opaque, black where it is
// transparent. A glyph that matches no cell of the sheet but for one texel reads as '?'.
inline std::string ReadText(const Picture& picture, float x, float y, int length, float scale = 1) {
    std::string text;
    for (int glyph = 0; glyph < length; ++glyph) {
        std::array<int, GlyphCount> misses{};
        for (int texel = 0; texel < 64; ++texel) {
            const Rgb seen = picture.at({x + (glyph + (texel % 8 + 0.5f) / 8) * scale,
                                         y + (texel / 8 + 0.5f) / 8 * scale, 0});
            for (int cell = 0; cell < GlyphCount; ++cell) {
                const auto* t = &GlyphSheet.pixels[(texel / 8 * 512 + cell * 8 + texel % 8) * 4];
                misses[cell] += !Near(seen, Rgb(t[0], t[1], t[2]) * (t[3] / 255));
            }
        }
        const auto best = std::min_element(misses.begin(), misses.end());
        text += *best <= 1 ? static_cast<char>(FirstGlyphCode + (best - misses.begin())) : '?';
    }
    return text;
}

// Whether the display names the phase.
inline bool InPhase(const Picture& picture, const std::string& phase) {
    return ReadText(picture, -17, -2, 9) == phase + std::string(9 - phase.size(), ' ');
}

// Blocks in the well's visible rows, the falling piece's among them.
inline long CellsInTheWell(const Picture& picture) {
    const std::string well = ReadCells(picture, -5, 10, 10, 20);
    return std::count_if(well.begin(), well.end(), [](char cell) { return std::isupper(cell); });
}

// The display's frame counter; 0 until it shows one.
inline long ReadFrames(const Picture& picture) {
    return std::atol(ReadText(picture, -13, 1, 7).c_str());
}

// Whether each bar of the well frame (x -5.75..5.75, y -9.75..11.75, 0.75 wide, at z 0.1) is grey
// where it belongs, between black outside and the empty well inside, and its outer corners are
// square: black just beyond either edge.
inline bool FrameBars(const Picture& picture) {
    bool square = true;
    for (const glm::vec3 corner :
         {glm::vec3(-5.75f, 11.75f, 0.1f), glm::vec3(5.75f, 11.75f, 0.1f),
          glm::vec3(-5.75f, -9.75f, 0.1f), glm::vec3(5.75f, -9.75f, 0.1f)}) {
        const glm::vec3 out = glm::sign(corner) * 0.1f;
        square = square && picture.at(corner + out * glm::vec3(1, -1, 0)) == Rgb(0) &&
                 picture.at(corner + out * glm::vec3(-1, 1, 0)) == Rgb(0);
    }
    // clang-format off
    return square && ReadCells(picture, -6.5f, 0, 3, 1) + ReadCells(picture, 4, -4, 3, 1) + ReadCells(picture, 2, 12, 1, 3) + ReadCells(picture, -3, -9, 1, 3) == ".#.\n.#.\n.\n#\n.\n.\n#\n.\n";
    // clang-format on
}
