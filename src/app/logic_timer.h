// The logic timer: one simulation frame every 16 ms, each handed to the renderer through the
// snapshot. On the desktop the media library's timer thread runs them; in the browser, which
// has one thread, the animation frames run those that are due.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>

#include "game_state.h"

// The live game: a blank record until the first tick builds the game that the main thread asked
// for at start-up, and built again whenever it asks. Only the timer thread touches it.
extern GameState LiveGame;
// The controls held at the moment: written by the event pump, read once per tick.
extern std::atomic<std::uint32_t> HeldControls;
// Set by StartLogicTimer; removed at shutdown.
extern SDL_TimerID LogicTimer;

// One simulation frame: builds the new game that the main thread asked for, if any, reads the
// held controls once (or the replay's), ticks the live game, publishes the result, and hands a
// game that has just ended to the main thread. The timer thread's whole work apart from keeping
// the pace.
void StepLiveGame();

// The timer callback: one StepLiveGame, then the delay to the next 16 ms deadline; while the game
// is paused, none. Desktop only.
Uint32 LogicTick(Uint32 interval, void* userData);

// Starts the 16 ms timer, as LogicTimer; the last step of the render set-up. A failure is
// reported on standard error and leaves the window at its clear colour. In the browser it starts
// no timer: the main loop's frames run the ticks.
void StartLogicTimer();
