// The pause: Escape or a controller's Start stops the game and starts it again, and a window
// left for another, minimised, or a controller unplugged stops it until the player starts it
// again. The main thread decides; the timer thread only sees a flag and runs no tick while it
// is up, so a pause adds no tick and removes none.
#pragma once

#include <atomic>
#include <cstdint>

#include "game_state.h"
#include "tick_schedule.h"

enum class PauseEvent { PauseKey, FocusLost, Minimised, ControllerUnplugged };

// Whether the game is paused after the event, paused before or not, in the phase on screen. Only a
// game under way pauses: not before its first frame, not at GAMEOVER. The focus given back to the
// window resumes nothing: no piece falls before the player is ready.
bool PausedAfter(bool paused, Phase phase, PauseEvent event);

// Raised by the main thread while the game is paused; ResumedAt is the high-resolution counter's
// reading when it was last lowered, stored before the flag is lowered with release.
extern std::atomic<bool> GamePaused;
extern std::atomic<std::uint64_t> ResumedAt;

// Main thread only: the state that GamePaused publishes.
extern bool Paused;

// Main thread: pauses or resumes the game as the event asks in the phase on screen, and answers
// whether that changed anything.
bool HandlePauseEvent(PauseEvent event, Phase phase);

// The timer thread's memory of a pause seen.
struct PauseGate {
    bool held = false; // a wake has found the game paused, and none has run a tick since
};

// Timer thread, at each wake, at counter reading `now`: 0 when a tick is to run now; else the
// milliseconds to the next wake, with no tick run. While paused the timer wakes once a period to
// look; the first tick after a resume comes one period after the resume, and the schedule runs on
// from there, so the paused time is not caught up.
std::uint32_t HoldTick(PauseGate& gate, TickSchedule& schedule, bool paused,
                       std::uint64_t resumedAt, std::uint64_t now);
