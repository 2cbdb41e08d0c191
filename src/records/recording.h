// The controls of a game as runs, tick by tick: recorded as the game is played, taken back
// one tick at a time to play it again, and a whole replay played through to its result.
#pragma once

#include <cstddef>
#include <vector>

#include "replay.h"

// Adds one tick's controls: the last run grows when they are the same, else a run starts.
// Allocates only when the runs outgrow the storage reserved for them.
void RecordControls(std::vector<ControlRun>& runs, InputBits controls);

// Where a playback stands in its runs.
struct ReplayCursor {
    std::size_t run = 0;
    std::uint32_t used = 0; // ticks of that run played already
};

// The controls of the next tick, and the cursor moved past it; false once the runs are spent.
bool NextControls(const std::vector<ControlRun>& runs, ReplayCursor& cursor, InputBits& controls);

// Plays the replay through from a new game of its seed: the record after its last tick. The
// rules deal with the C library's rand, so the caller must be the only one drawing from it.
GameState PlayThrough(const Replay& replay);
