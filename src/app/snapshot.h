// The hand-over of each simulated frame from the logic timer's thread to the main thread.
#pragma once

#include <atomic>

#include "game_state.h"

// The latest published frame. Read it only through CopySnapshot.
extern GameState RenderSnapshot;
// Raised once the first frame has been published; never cleared.
extern std::atomic<bool> SnapshotReady;
// Raised by every publish; the main loop clears it before it draws.
extern std::atomic<bool> RedrawPending;

// Timer thread: replaces the snapshot with one whole frame, then raises both flags.
void PublishSnapshot(const GameState& frame);

// Main thread: copies the latest whole frame into a record of the caller's. Answers false, and
// leaves the record alone, while no frame has been published yet.
bool CopySnapshot(GameState& into);
