// Steps of play that several scenarios share, each waiting on the screen rather than the clock.
#pragma once

#include "game_session.h"
#include "well_cells.h"

#include <optional>

// The active piece as the screen shows it.
struct PieceInView {
    ScreenReading reading;
    int kind = EmptyCell;
    Placement at{};
};

// Waits until the phase is ACTIVE and the well shows the settled cells and one whole piece of
// one kind besides them, with the frame counter at `minFrames` or more.
std::optional<PieceInView> WaitForPiece(GameSession& game, const CellSet& settled,
                                        unsigned minFrames = 0,
                                        std::chrono::milliseconds limit = 20s);

// The column of the active piece of the kind and rotation, if the well shows it besides the
// settled cells.
std::optional<int> ColumnOfPiece(const ScreenReading& reading, const CellSet& settled, int kind,
                                 int rotation);

// Holds S until the piece locks, then lets go and waits for the entry delay; the cells of the
// well then, with nothing active.
std::optional<CellSet> SoftDropAndSettle(GameSession& game);

// The grade label for a score by the grade table: the grade climbs one step for each threshold
// the score is above.
std::string GradeForScore(unsigned score);
// The row of the gravity table in force at a level.
unsigned GravityIndexForLevel(unsigned level);
