#include "pause.h"

#include <SDL.h>

std::atomic<bool> GamePaused{false};
std::atomic<std::uint64_t> ResumedAt{};
bool Paused = false;

bool PausedAfter(bool paused, Phase phase, PauseEvent event) {
    if (phase == NONE || phase == GAMEOVER) {
        return paused;
    }
    return event == PauseEvent::PauseKey ? !paused : true;
}

bool HandlePauseEvent(PauseEvent event, Phase phase) {
    const bool paused = PausedAfter(Paused, phase, event);
    if (paused == Paused) {
        return false;
    }
    Paused = paused;
    if (!paused) {
        ResumedAt.store(SDL_GetPerformanceCounter(), std::memory_order_relaxed);
    }
    // Release: a wake that sees the game resumed sees the moment of the resume too.
    GamePaused.store(paused, std::memory_order_release);
    return true;
}

std::uint32_t HoldTick(PauseGate& gate, TickSchedule& schedule, bool paused,
                       std::uint64_t resumedAt, std::uint64_t now) {
    if (paused) {
        gate.held = true;
        return TickPeriodMs;
    }
    if (!gate.held) {
        return 0;
    }
    gate.held = false;
    // The grid starts again at the resume, its next deadline one period on. (It has started:
    // a game is paused only once a tick has shown it.)
    schedule.origin = resumedAt;
    schedule.deadline = 1;
    return MillisecondsUntil(schedule, DeadlineAt(schedule, 1), now);
}
