// The logic timer's pace, against the way the media library re-arms its timers: each period
// is counted in whole milliseconds from the moment the timer thread woke, and the thread
// wakes late by a little or, under load, by a lot.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tick_schedule.h"

namespace {
constexpr std::uint64_t NsPerMs = 1'000'000;
constexpr std::uint64_t NsPerSecond = 1'000'000'000;

TickSchedule ScheduleAt(std::uint64_t frequency) {
    TickSchedule schedule;
    schedule.frequency = frequency;
    return schedule;
}

// The high-resolution counter at a moment given in nanoseconds of true time.
struct Counter {
    std::uint64_t frequency;
    std::uint64_t start; // its reading at true time 0

    std::uint64_t at(std::uint64_t ns) const {
        return start + ns / NsPerSecond * frequency + ns % NsPerSecond * frequency / NsPerSecond;
    }
    std::uint64_t afterMs(std::uint64_t ms) const { return at(ms * NsPerMs); }
};

// Drives the schedule like the library's timer thread: it reads its millisecond clock as it
// wakes, runs the callback, and sleeps until that clock reaches the reading plus the answer,
// oversleeping by up to maxOversleepNs. Returns the true times of the wake-ups.
std::vector<std::uint64_t> SimulateWakeUps(const Counter& counter, std::uint64_t msClockPhaseNs,
                                           std::uint64_t maxOversleepNs, int calls,
                                           std::vector<std::uint32_t>* answers = nullptr) {
    TickSchedule schedule = ScheduleAt(counter.frequency);
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<std::uint64_t> oversleep(0, maxOversleepNs);
    constexpr std::uint64_t CallbackLagNs = 40'000; // from the wake-up to the counter reading

    std::vector<std::uint64_t> wakeUps;
    std::uint64_t now = 5 * NsPerMs + 123'456;
    for (int call = 0; call < calls; ++call) {
        wakeUps.push_back(now);
        const std::uint32_t delay = NextTickDelay(schedule, counter.at(now + CallbackLagNs));
        if (answers != nullptr) {
            answers->push_back(delay);
        }
        const std::uint64_t clockMs = (now + msClockPhaseNs) / NsPerMs;
        now = (clockMs + delay) * NsPerMs - msClockPhaseNs + oversleep(random);
    }
    return wakeUps;
}

// How far wake-up n lies from n periods after the first, in nanoseconds.
std::int64_t Drift(const std::vector<std::uint64_t>& wakeUps, std::size_t n) {
    const std::uint64_t onGrid = wakeUps[0] + n * TickPeriodMs * NsPerMs;
    return static_cast<std::int64_t>(wakeUps[n]) - static_cast<std::int64_t>(onGrid);
}
} // namespace

TEST(TickSchedule, TheFirstTickStartsTheGridAndWaitsOnePeriod) {
    const Counter counter{1'000'000'000, 77};
    TickSchedule schedule = ScheduleAt(counter.frequency);
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(1000)), 16u);
    EXPECT_TRUE(schedule.started);
    EXPECT_EQ(DeadlineAt(schedule, 0), counter.afterMs(1000));
    EXPECT_EQ(DeadlineAt(schedule, schedule.deadline), counter.afterMs(1016));
}

class TickScheduleAtFrequency : public testing::TestWithParam<std::uint64_t> {};

TEST_P(TickScheduleAtFrequency, TenSecondsOfJitteredWakeUpsAre625TicksOnTheGrid) {
    // The counter starts far up its range, as on a machine that has been on for years.
    const Counter counter{GetParam(), std::uint64_t{1} << 60};
    for (std::uint64_t phase : {0ull, 300'000ull, 999'999ull}) {
        std::vector<std::uint32_t> answers;
        const std::vector<std::uint64_t> wakeUps =
            SimulateWakeUps(counter, phase, 900'000, 3 * 625 + 1, &answers);

        // Every wake-up stays within about a millisecond of its deadline, for half a minute,
        // so the ticks come at 62.5 a second: the 626th starts ten seconds after the first.
        for (std::size_t n = 0; n < wakeUps.size(); ++n) {
            ASSERT_GT(Drift(wakeUps, n), -1'100'000) << "wake-up " << n << ", phase " << phase;
            ASSERT_LT(Drift(wakeUps, n), 2'100'000) << "wake-up " << n << ", phase " << phase;
        }
        EXPECT_NEAR(static_cast<double>(wakeUps[625] - wakeUps[0]), 10.0 * NsPerSecond, 2.1e6);
        EXPECT_NEAR(static_cast<double>(wakeUps[3 * 625] - wakeUps[0]), 30.0 * NsPerSecond, 2.1e6);
        for (std::uint32_t answer : answers) {
            ASSERT_GE(answer, 15u);
            ASSERT_LE(answer, 17u);
        }
    }
}

TEST_P(TickScheduleAtFrequency, HeavyOversleepUnderLoadLosesNoTicks) {
    const Counter counter{GetParam(), 0};
    // Up to 12 ms late on every wake-up: the answers shrink to make up for it.
    const std::vector<std::uint64_t> wakeUps = SimulateWakeUps(counter, 450'000, 12'000'000, 626);
    for (std::size_t n = 0; n < wakeUps.size(); ++n) {
        ASSERT_GT(Drift(wakeUps, n), -1'100'000) << "wake-up " << n;
        ASSERT_LT(Drift(wakeUps, n), 13'100'000) << "wake-up " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(NanosecondAndMicrosecondCounters, TickScheduleAtFrequency,
                         testing::Values(1'000'000'000ull, 1'000'000ull, 3'579'545ull));

TEST(TickSchedule, ALateWakeUpShortensOnlyTheNextWait) {
    const Counter counter{1'000'000, 0};
    TickSchedule schedule = ScheduleAt(counter.frequency);
    NextTickDelay(schedule, counter.afterMs(0));
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(16)), 16u);
    // Ten milliseconds late for the deadline at 32: the next one, at 48, is 6 away.
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(42)), 6u);
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(48)), 16u);
    // Half a millisecond early for 80: the wait to 96 rounds up, never short of the deadline.
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(64)), 16u);
    EXPECT_EQ(NextTickDelay(schedule, counter.at(79'500'000)), 17u);
}

TEST(TickSchedule, AWakeUpLaterThanAPeriodCatchesUpTickByTick) {
    const Counter counter{1'000'000'000, 0};
    TickSchedule schedule = ScheduleAt(counter.frequency);
    NextTickDelay(schedule, counter.afterMs(0));
    // The tick for 16 comes at 40: the one for 32 is already due and runs a millisecond
    // later; the one for 48 then waits its remaining 7 ms. Three ticks, as on the grid.
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(40)), 1u);
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(41)), 7u);
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(48)), 16u);
    EXPECT_EQ(DeadlineAt(schedule, schedule.deadline), counter.afterMs(64));
}

TEST(TickSchedule, AStallRestartsTheGridInsteadOfBursting) {
    const Counter counter{1'000'000, 0};
    TickSchedule schedule = ScheduleAt(counter.frequency);
    NextTickDelay(schedule, counter.afterMs(0));
    NextTickDelay(schedule, counter.afterMs(16));
    // The tick for 32 is still on the grid at four periods late...
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(32 + 64)), 1u);
    EXPECT_EQ(DeadlineAt(schedule, schedule.deadline), counter.afterMs(48));

    // ...but the process then sleeps for half a second: the next tick starts a new grid from
    // its own wake-up, and the ones after follow it a period apart.
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(600)), 16u);
    EXPECT_EQ(DeadlineAt(schedule, schedule.deadline), counter.afterMs(616));
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(616)), 16u);
    EXPECT_EQ(NextTickDelay(schedule, counter.afterMs(633)), 15u);
}

TEST(TickSchedule, TheGridHoldsAcrossHoursOfTicks) {
    // Six hours of ticks on a nanosecond counter: the deadline arithmetic must neither
    // overflow nor round its way off the grid.
    const Counter counter{1'000'000'000, 0};
    TickSchedule schedule = ScheduleAt(counter.frequency);
    constexpr std::uint64_t Ticks = 6ull * 3600 * 1000 / 16;
    for (std::uint64_t n = 0; n < Ticks; ++n) {
        ASSERT_EQ(NextTickDelay(schedule, counter.afterMs(n * 16)), 16u) << "tick " << n;
    }
    EXPECT_EQ(DeadlineAt(schedule, schedule.deadline), counter.afterMs(Ticks * 16));
}
