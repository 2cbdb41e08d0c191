// The cues of play: what a tick of the game gives the player to hear, found by comparing the
// record before the tick with the record after it. Nothing here knows of devices or samples.
#pragma once

#include <array>
#include <cstdint>

#include "game_state.h"

enum class Cue : std::uint8_t {
    Ready,    // the first tick of the start-up pause
    Go,       // the first piece enters
    PreviewI, // a piece of each kind, in PieceKind order, appears in the preview
    PreviewZ,
    PreviewS,
    PreviewO,
    PreviewT,
    PreviewL,
    PreviewJ,
    Lock,
    Clear1, // rows cleared at once, 1 to 4
    Clear2,
    Clear3,
    Clear4,
    Grade,    // the grade rises
    TopGrade, // the grade reaches the top
    GameOver,
};
constexpr std::size_t CueCount = 17;

// The preview's cue for a kind, and the clear's for a number of rows (1 to 4).
Cue PreviewCue(PieceKind kind);
Cue ClearCue(std::uint32_t rows);

// At most this many cues come from one tick: each phase after it allows one of them, or go and
// the preview, and a grade besides.
constexpr std::size_t MostCuesPerTick = 3;

struct CueList {
    std::array<Cue, MostCuesPerTick> cues{};
    std::size_t count = 0;
};

// The cues that the tick from `before` to `after` raises, in the order above. Shifting and
// turning raise none: they come too often to be heard.
CueList CuesBetween(const GameState& before, const GameState& after);
