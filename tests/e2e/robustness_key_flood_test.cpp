// Ten thousand key events a second for ten seconds, down and up pairs of mapped and unmapped
// keys: the program keeps its pace of 62.5 frames a second through the flood, and afterwards no
// key is left held and a tap still moves the piece.
//
// The flood leaves out S: a soft drop held at random would stack pieces to the top within the
// ten seconds, and the counter stops at the end of a game. At the first level a piece falls one
// row in about a second, so the piece of the flood is still falling when it ends.
#include "frame_clock.h"
#include "robustness_play.h"
#include "robustness_x_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int EventsPerSecond = 10000;
constexpr auto FloodTime = 10s;
// Sent every 10 ms, and flushed to the server as one write.
constexpr auto BatchPeriod = 10ms;
constexpr int PairsPerBatch = EventsPerSecond / 2 / 100;

const std::vector<std::string> FloodKeys = {
    "a",      "d",      "w",    "i",     "o",  "p",    "space", "q", "z",  "x",
    "Escape", "Return", "Left", "Right", "Up", "Down", "Tab",   "1", "F1", "BackSpace"};

bool Active(const ScreenReading& reading) {
    return reading.phase == "ACTIVE";
}

struct FloodReport {
    long events = 0;
    double seconds = 0.0; // until the last batch was sent
};

// Pairs of key down and up, cycling through the keys, in batches paced by the wall clock: a
// batch that falls behind goes out at once, and the flood ends on time.
FloodReport Flood(XStormClient& client) {
    std::vector<unsigned> codes;
    for (const std::string& key : FloodKeys) {
        codes.push_back(client.keyCode(key));
    }
    FloodReport report;
    std::size_t next = 0;
    const auto start = Clock::now();
    const auto end = start + FloodTime;
    for (auto batch = start; batch < end; batch += BatchPeriod) {
        std::this_thread::sleep_until(batch);
        for (int pair = 0; pair < PairsPerBatch; ++pair) {
            const unsigned code = codes[next];
            next = (next + 1) % codes.size();
            client.key(code, true);
            client.key(code, false);
            report.events += 2;
        }
        client.flush();
    }
    report.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    client.sync();
    return report;
}

int RightmostColumn(int kind, int rotation) {
    int widest = 0;
    for (const Offset& offset : ShapeOf(kind, rotation)) {
        widest = std::max(widest, offset.column);
    }
    return WellColumns - 1 - widest;
}

// Every key that went down came up again: the first piece only falls, and a tap of a sideways
// key still moves it.
void ExpectNoKeyHeldAndATapMovesThePiece(GameSession& game) {
    const auto piece = WaitForNextPiece(game, {});
    ASSERT_TRUE(piece) << BoardText(game.lastReading());
    const unsigned frames = *DisplayedNumber(piece->reading.frames);
    const auto later = game.waitFor(
        [&](const ScreenReading& r) {
            return Recognised(r) && DisplayedNumber(r.frames) >= frames + 30;
        },
        3s);
    ASSERT_TRUE(later);
    const auto still = LocatePiece(*later, {}, piece->kind);
    ASSERT_TRUE(still) << BoardText(*later);
    EXPECT_EQ(still->rotation, piece->at.rotation);
    EXPECT_EQ(still->column, piece->at.column);

    const bool right = still->column < RightmostColumn(piece->kind, still->rotation);
    const int target = still->column + (right ? 1 : -1);
    EXPECT_TRUE(game.tapUntil(
        right ? "d" : "a",
        [&](const ScreenReading& r) {
            const auto now = LocatePiece(r, {}, piece->kind);
            return now && now->column == target;
        },
        120ms, 2s));
}

TEST(KeyFlood, TenThousandKeyEventsASecondForTenSecondsCostTheGameNoFrameAndLeaveNoKeyHeld) {
    // A flood across a stall of the machine is sent again, in a new game so that the first piece
    // is still falling afterwards; twice at most. If the third is spoiled too, the frames the
    // stalls may have cost are allowed for, and no more.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        GameSession game;
        ASSERT_TRUE(WaitForPiece(game, {}));
        EXPECT_TRUE(GiveTheGamePrecedence(game));
        XStormClient client(game.x().name());
        const StallWatch watch;
        const auto first = LeastLaggingReading(game, Active);
        ASSERT_TRUE(first) << "phase '" << game.lastReading().phase << "'";
        const FloodReport flood = Flood(client);
        const auto last = LeastLaggingReading(game, Active);
        ASSERT_TRUE(game.process().running());
        ASSERT_TRUE(last) << "phase '" << game.read().phase << "' after the flood";
        // The flood itself must have been what it claims.
        EXPECT_EQ(flood.events, 2L * PairsPerBatch * 1000);
        EXPECT_LT(flood.seconds, 10.5);
        if (watch.stalls() > 0 && attempt < 3) {
            continue;
        }
        ExpectTheGamesPace(*first, *last, watch);
        std::cout << flood.events << " key events in " << flood.seconds << " s; "
                  << last->frames - first->frames << " frames\n";
        ExpectNoKeyHeldAndATapMovesThePiece(game);
        return;
    }
}

} // namespace
