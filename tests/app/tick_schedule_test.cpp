// The logic timer's pace: the answers to the media library, which re-arms the timer that many
// whole milliseconds after its thread woke, however late that was.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tick_schedule.h"

// Courses on a microsecond counter: the desktop timer's wake-ups and the waits it answers, then
// the browser's frames and the ticks each runs.
TEST(TickSchedule, TheTimerWaitsForEachDeadlineOfA16MsGridAndAFrameRunsEveryTickDue) {
    using Ms = std::vector<double>;
    const auto waits = NextTickDelay, due = TicksDue;
    // clang-format off
    const std::tuple<const char*, std::uint32_t (*)(TickSchedule&, std::uint64_t), Ms, Ms> courses[] = {
        {"on time, 16 ms apart", waits, {1000, 1016, 1032}, {16, 16, 16}}, {"a late wake-up shortens only the next wait", waits, {0, 16, 42, 48}, {16, 16, 6, 16}},
        {"a wait is rounded up, never short", waits, {0, 15.5, 25.99, 42.01}, {16, 17, 23, 22}}, {"a tick more than a period late is followed at once", waits, {0, 40, 41, 48}, {16, 1, 7, 16}},
        {"a stall of over four periods starts the grid afresh", waits, {0, 16, 200, 216}, {16, 16, 16, 16}}, {"four periods late still catches up", waits, {0, 16, 96, 97}, {16, 16, 1, 1}},
        {"a microsecond more starts afresh", waits, {0, 16, 96.001}, {16, 16, 16}}, {"a 60 Hz display: one a frame", due, {0, 16.7, 33.3, 50, 66.7}, {1, 1, 1, 1, 1}},
        {"a 30 Hz display: two a frame", due, {0, 33.3, 66.7, 100}, {1, 2, 2, 2}}, {"a frame before the deadline runs none", due, {0, 15.9, 16}, {1, 0, 1}},
        {"four periods late runs the five due", due, {0, 80}, {1, 5}}, {"later (a hidden tab) starts afresh with one", due, {0, 80.1, 96, 96.1}, {1, 1, 0, 1}}};
    // clang-format on
    for (const auto& [course, step, times, answers] : courses) {
        TickSchedule schedule{1'000'000};
        Ms answered;
        for (double ms : times) {
            answered.push_back(step(schedule, static_cast<std::uint64_t>(ms * 1000)));
        }
        EXPECT_EQ(answered, answers) << course;
    }
}

TEST(TickSchedule, TenSecondsOfLateWakeUpsHold625TicksAtAnyCounterFrequency) {
    for (std::uint64_t frequency : {1'000'000'000ull, 3'579'545ull}) {
        TickSchedule schedule{frequency};
        std::mt19937 random(7);
        // The thread wakes up to 0.9 ms after the millisecond it was asked for.
        double now = 5.3;
        const double first = now;
        for (int tick = 0; tick < 625; ++tick) {
            const auto reading = static_cast<std::uint64_t>(now * frequency / 1000 + 1e6);
            // clang-format off
            now = static_cast<int>(now) + NextTickDelay(schedule, reading) + random() % 900 / 1000.0;
            // clang-format on
        }
        EXPECT_NEAR(now - first, 10'000, 2.0) << frequency;
        EXPECT_LT(schedule.deadline, 125u) << "the index moves into the origin every 2 s";
    }
    EXPECT_EQ(MillisecondsUntil(TickSchedule{1001}, 1000, 0), 1000u) << "999.001 ms, rounded up";
}
