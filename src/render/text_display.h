// Text drawn as rows of glyph squares in world space, and the display of the game's figures
// left of the well.
#pragma once

#include <array>
#include <cstdint>

#include "game_state.h"

inline constexpr std::array<const char*, 19> GradeNames = {
    " 9", " 8", " 7", " 6", " 5", " 4", " 3", " 2", " 1", "S1",
    "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "ZN",
};

inline constexpr std::array<const char*, 7> PhaseNames = {
    "NONE", "READYGO", "ACTIVE", "LOCKFLASH", "LINECLEAR", "ARE", "GAMEOVER",
};

// Shown for a grade or phase that has no name.
inline constexpr const char* UnknownName = "??";

const char* GradeName(std::uint32_t grade);
const char* PhaseName(std::uint32_t phase);

// Draws text with the lower-left corner of its first glyph at (x, y, z), each glyph a square
// of side scale. Leaves no program in use and nothing bound.
void DrawText(const char* text, float x, float y, float z, float scale);

// The labels and the figures of the frame being drawn.
void DrawTextDisplay(const GameState& frame);
