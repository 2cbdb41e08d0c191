// The glyph sheet: 64 cells of 8 x 8 RGBA pixels in one row, cell i holding character code 32 + i.
#pragma once

#include "image_record.h"

extern const GlyphSheetImage GlyphSheet; // cell i (8x8) = character code 32 + i

constexpr int GlyphSize = 8;
constexpr int FirstGlyphCode = 32;
constexpr int GlyphCount = 64;

// Whether the sheet pixel at (column, rowFromTop) of the cell of `code` is drawn, face or shadow.
// Codes without a cell and positions outside the 8 x 8 cell are never drawn.
bool glyphPixelOpaque(char code, int column, int rowFromTop);
