// Playing on purpose, for scenarios that need rows cleared or a long game: where to put each
// piece, and steering it there with taps that the screen confirms.
#pragma once

#include "play_helpers.h"

#include <optional>
#include <string>

// The active piece as the screen shows it, also while some of its cells are still in the hidden
// top row (a piece turned right after its entry).
std::optional<Placement> LocatePiece(const ScreenReading& reading, const CellSet& settled,
                                     int kind);

// Waits until the phase is ACTIVE and the well shows the settled cells and one piece besides.
std::optional<PieceInView> WaitForNextPiece(GameSession& game, const CellSet& settled,
                                            std::chrono::milliseconds limit = 10s);

struct Target {
    int rotation = 0;
    int column = 0;
    int rowsFilled = 0; // rows the piece completes where it lands
};

// Of the places the piece reaches by turning at the top and falling straight down, the one that
// fills the most rows and leaves the lowest, smoothest stack with the fewest covered holes.
Target BestTarget(const CellSet& settled, int kind);

// Turns and shifts the active piece to the target's rotation and column, one tap at a time,
// each confirmed on the screen. Whether the piece got there; a message in `trouble` if not.
bool SteerTo(GameSession& game, const CellSet& settled, int kind, const Target& target,
             std::string& trouble);
