#include "frame_clock.h"

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
