// The renderer's set-up and its one frame, the drawing of a published game frame. Its GL objects
// go with the context.
#pragma once

#include "game_state.h"

// Creates every GL object and sets the fixed GL state, then starts the logic timer.
void InitRenderer();

// Everything InitRenderer does but start the timer.
void CreateRenderObjects();

// Clears, and when a frame has been published draws it: the text display, the ranking panel
// (before and after a game), the next piece, the active piece, the board and the well frame, or
// in place of the pieces and the board the words in the well (well_words.h). Does
// nothing while the window is too large for the GL (WindowDrawable).
void RenderFrame();

// The snapshot that the last RenderFrame drew; a default record until it drew a published one.
const GameState& DrawnFrame();
