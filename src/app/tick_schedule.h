// The logic timer's pace: an absolute schedule of 16 ms deadlines on the high-resolution
// counter. The media library re-arms a timer from the moment its thread woke, so returning a
// plain 16 every time would lose the oversleep of each period; answering with the time left
// to the next deadline on a fixed grid keeps ten seconds at 625 ticks.
#pragma once

#include <cstdint>

constexpr std::uint32_t TickPeriodMs = 16;
// A tick this many periods late means the process stalled (suspended, swapped, debugged): the
// grid starts again from now instead of firing the missed ticks back to back.
constexpr std::uint32_t StallPeriods = 4;

struct TickSchedule {
    std::uint64_t frequency{};  // counter readings per second, set before the first call
    std::uint64_t origin = 0;   // counter reading of deadline 0
    std::uint32_t deadline = 0; // index of the deadline that the next call answers
    bool started = false;
};

// Counter reading of deadline `index` of the schedule.
std::uint64_t DeadlineAt(const TickSchedule& schedule, std::uint32_t index);

// For a caller that looks now and then instead of sleeping to each deadline (the browser's
// animation frames): moves the schedule on over every tick due at `now` and answers how many
// they are. A look more than StallPeriods late starts the grid afresh, with one tick.
std::uint32_t TicksDue(TickSchedule& schedule, std::uint64_t now);

// The whole milliseconds from the counter reading `now` to `moment`, rounded up; 0 once it has
// come.
std::uint32_t MillisecondsUntil(const TickSchedule& schedule, std::uint64_t moment,
                                std::uint64_t now);

// Called once per tick with the counter reading taken as the tick began. Moves the schedule
// on by one deadline and answers the whole milliseconds from `now` to the next one (at least
// 1, since a timer callback that answers 0 is cancelled).
std::uint32_t NextTickDelay(TickSchedule& schedule, std::uint64_t now);
