// Text drawn as rows of glyph squares in world space, and the display of the game's figures
// left of the well.
#pragma once

#include <array>
#include <cstdint>

#include "game_state.h"
#include "grade_names.h"

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
