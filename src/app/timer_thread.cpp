// The desktop's pace: the media library's timer thread runs one StepLiveGame per period of the
// tick schedule. (The browser has no such thread: its animation frames run the ticks that are
// due, web_shell.cpp.)
#include <cstdio>

#include "logic_timer.h"
#include "pause.h"
#include "tick_schedule.h"

namespace {
// Timer thread only, once StartLogicTimer has filled in the frequency.
TickSchedule Schedule;
// Timer thread only.
PauseGate Gate;
} // namespace

Uint32 LogicTick(Uint32 /*interval*/, void* /*userData*/) {
    // The media library counts the next period from the moment its thread woke, so the
    // schedule takes its reading before the frame's own work.
    const std::uint64_t now = SDL_GetPerformanceCounter();
    const bool paused = GamePaused.load(std::memory_order_acquire);
    if (const std::uint32_t held =
            HoldTick(Gate, Schedule, paused, ResumedAt.load(std::memory_order_relaxed), now)) {
        return held;
    }
    StepLiveGame();
    return NextTickDelay(Schedule, now);
}

void StartLogicTimer() {
    // Written before the timer thread can run the first tick; SDL_AddTimer hands the timer
    // over under the library's lock, which orders this store before that tick.
    Schedule = TickSchedule{};
    Schedule.frequency = SDL_GetPerformanceFrequency();
    // SDL_Quit stops only the subsystems that were asked for. Asked for, the timer's thread is
    // stopped there, after any tick under way, before the game records are destroyed after
    // main; brought up by SDL_AddTimer alone, it would outlive them.
    SDL_InitSubSystem(SDL_INIT_TIMER);
    LogicTimer = SDL_AddTimer(TickPeriodMs, LogicTick, nullptr);
    if (LogicTimer == 0) {
        std::fprintf(stderr, "Unable to start the logic timer: %s\n", SDL_GetError());
    }
}
