// The steps of one frame, shared between the files of the rules. Not part of the rules' surface.
#pragma once

#include "game_state.h"

void runReadyGo(GameState& game, InputBits controls);
void runActive(GameState& game, InputBits controls);
void runLockFlash(GameState& game);
void runLineClear(GameState& game);
void runEntryDelay(GameState& game, InputBits controls);

void applyEntryRotation(GameState& game, InputBits controls);
bool sideStepCounts(InputBits controls, InputBits previous);
bool rowIsFull(const Board& board, int row);

void scoreLineClear(GameState& game);
void stepLevel(GameState& game);
void stepGravity(GameState& game);
