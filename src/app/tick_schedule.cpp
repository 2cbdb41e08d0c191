#include "tick_schedule.h"

#include <algorithm>

namespace {
// 125 periods of 16 ms are exactly two seconds, a whole number of counter readings at any
// integral frequency: the origin moves on by that much so that the index stays small and
// index * frequency cannot overflow.
constexpr std::uint32_t RebasePeriods = 125;
constexpr std::uint64_t RebaseSeconds = 2;

std::uint64_t CeilDiv(std::uint64_t numerator, std::uint64_t denominator) {
    return (numerator + denominator - 1) / denominator;
}
} // namespace

std::uint64_t DeadlineAt(const TickSchedule& schedule, std::uint32_t index) {
    return schedule.origin + std::uint64_t{index} * schedule.frequency * TickPeriodMs / 1000;
}

std::uint32_t NextTickDelay(TickSchedule& schedule, std::uint64_t now) {
    const std::uint64_t due = DeadlineAt(schedule, schedule.deadline);
    const std::uint64_t stallLimit = schedule.frequency * TickPeriodMs * StallPeriods / 1000;
    if (!schedule.started || (now > due && now - due > stallLimit)) {
        schedule.origin = now;
        schedule.deadline = 0;
        schedule.started = true;
    }

    schedule.deadline += 1;
    if (schedule.deadline == RebasePeriods) {
        schedule.origin += RebaseSeconds * schedule.frequency;
        schedule.deadline = 0;
    }

    return std::max(1u, MillisecondsUntil(schedule, DeadlineAt(schedule, schedule.deadline), now));
}

std::uint32_t MillisecondsUntil(const TickSchedule& schedule, std::uint64_t moment,
                                std::uint64_t now) {
    const std::uint64_t left = std::max(moment, now) - now;
    return static_cast<std::uint32_t>(CeilDiv(left * 1000, schedule.frequency));
}

std::uint32_t TicksDue(TickSchedule& schedule, std::uint64_t now) {
    std::uint32_t due = 0;
    // A schedule not started yet has its deadline 0 at reading 0, which has come.
    while (now >= DeadlineAt(schedule, schedule.deadline)) {
        NextTickDelay(schedule, now);
        ++due;
    }
    return due;
}
