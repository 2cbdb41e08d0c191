// What passes between the threads about whole games, beside the snapshot of each tick: the
// main thread asks for a new game or a replay, which the timer thread builds where the live game
// lives; the timer thread records the controls of every tick of a game and, once it has ended,
// hands the finished recording back. No file is touched here: the main thread keeps the games.
#pragma once

#include <vector>

#include "recording.h"

// A game played to its end, as the timer thread recorded it.
struct FinishedGame {
    unsigned int seed{};
    GameResult result;
    std::vector<ControlRun> runs;
};

// A seed for a new game: the calendar clock mixed with the high-resolution counter, so that two
// games started within one second differ.
unsigned int FreshSeed();

// Main thread: asks for a new game of the seed, or for the replay to be played back (which must
// stay alive and unchanged while it plays), from the timer thread's next tick. Answers false,
// asking nothing, while an earlier request has not been taken up yet.
bool RequestNewGame(unsigned int seed);
bool RequestReplay(const Replay& replay);

// Timer thread, first in each tick: builds the game asked for, if any, into the live record.
void StartRequestedGame(GameState& live);

// Timer thread: the controls for this tick, the replay's while one plays, else the held ones,
// which a game being recorded records.
InputBits ControlsForTick(InputBits held);

// Timer thread, after the tick: once the game being recorded has ended, hands its recording to
// the main thread; if the main thread has not taken the last one yet, tries again next tick.
void HandOverEndedGame(const GameState& live);

// Main thread: copies a finished game into `into` if one has been handed over since the last
// call; the storage stays with the hand-over, so the timer thread's next game reuses it.
bool TakeFinishedGame(FinishedGame& into);
