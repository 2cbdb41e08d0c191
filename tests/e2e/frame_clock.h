// Timing the game by the frame counter it shows, against the wall clock.
#pragma once

#include "game_session.h"

#include <chrono>
#include <functional>
#include <optional>

struct TimedReading {
    unsigned frames = 0;
    std::chrono::steady_clock::time_point when; // the middle of taking the picture
};

// A picture shows the last frame the program presented, which trails the tick count by however
// long drawing and presenting took. Of the readings taken over 400 ms that show a frame count
// and meet the condition, the one furthest ahead of a 62.5 Hz clock trails least.
std::optional<TimedReading> LeastLaggingReading(
    GameSession& game, const std::function<bool(const ScreenReading&)>& condition =
                           [](const ScreenReading&) { return true; });

// Between two readings the game advanced 62.5 frames a second: each reading shows a frame at most
// one tick behind the game, and no tick comes early, so within four frames either way, less
// what the watched stalls of the machine may have cost.
void ExpectTheGamesPace(const TimedReading& first, const TimedReading& last,
                        const StallWatch& watch);
