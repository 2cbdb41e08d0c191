// The three vertex arrays and buffers: the unit block, the glyph quad and the well frame.
#pragma once

#include "gl.h"

#include <array>

enum VertexSlot : std::size_t { CubeSlot, GlyphSlot, WellFrameSlot, VertexSlotCount };

extern std::array<GLuint, VertexSlotCount> VertexArrays;
extern std::array<GLuint, VertexSlotCount> VertexBuffers;

inline GLuint& CubeVertexArray = VertexArrays[CubeSlot];
inline GLuint& GlyphVertexArray = VertexArrays[GlyphSlot];
inline GLuint& WellFrameVertexArray = VertexArrays[WellFrameSlot];
inline GLuint& CubeBuffer = VertexBuffers[CubeSlot];
inline GLuint& GlyphBuffer = VertexBuffers[GlyphSlot];
inline GLuint& WellFrameBuffer = VertexBuffers[WellFrameSlot];

// Interleaved x, y, z, u, v.
constexpr GLsizei TexturedStride = 5 * sizeof(float);
// Interleaved x, y, z, red, green, blue, alpha.
constexpr GLsizei ColoredStride = 7 * sizeof(float);
constexpr GLsizei CubeVertexCount = 36;
constexpr GLsizei GlyphVertexCount = 6;
constexpr GLsizei WellFrameVertexCount = 24;

// Puts the textured program in use with the vertex array and buffer bound and the textured
// layout declared, ready to draw blocks or glyphs.
void BindTexturedGeometry(GLuint vertexArray, GLuint buffer);

// Binds the block's vertex array and fills its buffer with the unit cube.
void FillCubeBuffer();
// Binds the frame's vertex array and fills its buffer with the four shaded bars.
void FillWellFrameBuffer();
