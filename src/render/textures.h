// The eight textures made from the embedded images: one face per piece kind and the glyph
// sheet of the text display.
#pragma once

#include "gl.h"

#include <array>

// Indexed by piece kind 0 to 6; the empty kind has no texture.
extern std::array<GLuint, 7> BlockTextures;
extern GLuint FontTexture;

// Generate and fill the seven block textures, in kind order.
void CreateBlockTextures();
// Generate and fill the glyph sheet texture; it stays bound.
void CreateFontTexture();
