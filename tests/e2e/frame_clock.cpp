#include "frame_clock.h"

#include <gtest/gtest.h>

std::optional<TimedReading>
LeastLaggingReading(GameSession& game, const std::function<bool(const ScreenReading&)>& condition) {
    using Clock = std::chrono::steady_clock;
    std::optional<TimedReading> best;
    double bestLead = 0.0;
    const auto end = Clock::now() + 400ms;
    while (Clock::now() < end) {
        const Clock::time_point before = Clock::now();
        const Picture picture = game.picture();
        const Clock::time_point after = Clock::now();
        const ScreenReading reading = ReadScreen(picture);
        const auto frames = DisplayedNumber(reading.frames);
        PauseBetweenLooks();
        if (!Recognised(reading) || !frames || !condition(reading)) {
            continue;
        }
        const TimedReading timed{*frames, before + (after - before) / 2};
        const double lead =
            *frames - std::chrono::duration<double>(timed.when.time_since_epoch()).count() * 62.5;
        if (!best || lead > bestLead) {
            best = timed;
            bestLead = lead;
        }
    }
    return best;
}

void ExpectTheGamesPace(const TimedReading& first, const TimedReading& last,
                        const StallWatch& watch) {
    const double seconds = std::chrono::duration<double>(last.when - first.when).count();
    const double frames = static_cast<double>(last.frames) - first.frames;
    EXPECT_LE(frames, seconds * 62.5 + 4.0) << "over " << seconds << " s";
    EXPECT_GE(frames, seconds * 62.5 - watch.framesAtRisk() - 4.0)
        << "over " << seconds << " s, of which the machine stood still " << watch.stalledSeconds()
        << " s in " << watch.stalls() << " stalls";
}
