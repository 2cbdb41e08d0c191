// The panel headed "BEST" right of the well: the first five games of the ranking, each with its
// grade, points, level and time, drawn while the game stands in READYGO or at GAMEOVER. The game
// just finished is marked when it entered the ranking.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game_state.h"
#include "ranking.h"

constexpr std::size_t PanelGames = 5;

struct RankingOnScreen {
    std::vector<RankEntry> entries; // best first
    int marked = -1;                // the place of the game just finished, or -1
};

// Main thread only: written by the records keeper, read by the frame.
extern RankingOnScreen ShownRanking;

// A game's time from its frames at 62.5 a second, as m:ss.cc, the minutes as wide as they
// need: 0 frames are "0:00.00", 3750 frames a minute, "1:00.00".
std::string GameTime(std::uint32_t frames);

// One line of the panel: a mark ('>' for the game just finished, else a space), the grade, the
// points in seven characters, the level in three and the time in eight.
std::string PanelLine(const RankEntry& entry, bool marked);

// Draws the panel when the frame's phase is READYGO or GAMEOVER.
void DrawRankingPanel(const GameState& frame);
