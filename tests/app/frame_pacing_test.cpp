// When the main loop draws: what it learns of a display from the swaps' return times, the
// margin it keeps before a refresh, and which ticks it presents at all. Times in microseconds.
#include <gtest/gtest.h>

#include <vector>

#include "frame_pacing.h"

// `count` swaps, each `waits` long, returning `period` apart from 1 s on, the first `early`
// before its place.
static FramePacing Learnt(Micros period, int count = 18, Micros waits = 3'000, Micros early = 0) {
    FramePacing pacing;
    for (Micros swap = 0; swap < count; ++swap) {
        const Micros returned = 1'000'000 + swap * period - (swap == 0 ? early : 0);
        NoteSwap(pacing, returned - waits, returned);
    }
    return pacing;
}

TEST(FramePacing, SwapsThatWaitARefreshApartPaceTheDrawingOnlyBelowTheTickRate) {
    // The first two swaps give a period, the next sixteen agree with it.
    // With the first interval a millisecond long, the mean of 17 intervals in whole microseconds:
    // the first 1000 over, then 500, 334, 251, 201, 168, 144, 126, 112, 101, 92, 85, 79, 74, 70,
    // 66 and 63 over.
    // clang-format off
    const std::tuple<const char*, FramePacing, bool, Micros> displays[] = {
        {"60 Hz", Learnt(16'667), true, 16'667}, {"60 Hz, one swap short", Learnt(16'667, 17), false, 16'667},
        {"60 Hz, the first interval a millisecond long", Learnt(16'667, 18, 3'000, 1'000), true, 16'730},
        {"as slow as the ticks and a quarter millisecond", Learnt(16'250), false, 16'250}, {"a microsecond slower", Learnt(16'251), true, 16'251},
        {"swaps that never wait", Learnt(16'000, 18, 1'999), false, 0}};
    // clang-format on
    for (auto [display, pacing, paced, period] : displays) {
        EXPECT_EQ(pacing.period, period) << display;
        // Paced, drawing starts the first margin, 5 ms, before the refresh after the last.
        // clang-format off
        EXPECT_EQ(NextDeadline(pacing, pacing.lastReturn + 100) - pacing.lastReturn, paced ? period - 5'000 : 100) << display;
        // clang-format on
    }
}

TEST(FramePacing, LearningTakesIntervalsWithin3MsOfThePeriodAndTakesTrustBackForOthers) {
    // Swaps that wait `waits`, the intervals between their returns; then the period and the
    // trust learnt. The first interval gives the period; each that agrees joins its mean.
    const Micros s = 16'667;
    // clang-format off
    const std::tuple<const char*, Micros, std::vector<Micros>, Micros, int> courses[] = {
        {"3 ms off agrees",                       3'000, {s, s, s + 3'000}, s + 1'000, 2}, {"a microsecond more does not",           3'000, {s, s, s + 3'001}, s, 0},
        {"... and takes back four",               3'000, {s, s, s, s, s, s, 9'000}, s, 1}, {"a first interval of 50 ms is a period", 3'000, {50'000}, 50'000, 0},
        {"a longer one is not",                   3'000, {50'001}, 0, 0},                  {"a swap of 2 ms waited",                 2'000, {s, s}, s, 1},
        {"a first interval of 2 ms is a period",  2'000, {2'000}, 2'000, 0},               {"so is one of 1 us, which the next joins", 2'000, {1, 1}, 1, 1}};
    // clang-format on
    for (const auto& [course, waits, intervals, period, trust] : courses) {
        FramePacing pacing;
        Micros returned = 1'000'000;
        NoteSwap(pacing, returned - waits, returned);
        for (const Micros interval : intervals) {
            returned += interval;
            NoteSwap(pacing, returned - waits, returned);
        }
        EXPECT_EQ(std::pair(pacing.period, pacing.trust), std::pair(period, trust)) << course;
    }
    // Paced, one return so far from the last refresh: the trust after it and the refresh it
    // moves the grid to. An early return moves the grid all the way, a late one an eighth; one
    // half a period off belongs to the refresh after.
    // clang-format off
    const std::tuple<const char*, Micros, int, Micros> returns[] = {
        {"on the grid", s, 16, s},              {"1 us early", s - 1, 16, s - 1},           {"500 us early", s - 500, 16, s - 500},
        {"501 us early", s - 501, 12, 0},       {"3 ms late", s + 3'000, 16, s + 375},      {"3 ms and 1 us late", s + 3'001, 16, 0},
        {"9 ms late", s + 9'000, 12, 0},        {"at the last refresh", 100, 12, 0}};
    // clang-format on
    for (const auto& [when, offset, trust, moved] : returns) {
        FramePacing paced = Learnt(s);
        const Micros last = paced.refresh;
        NoteSwap(paced, last + offset - 3'000, last + offset);
        EXPECT_EQ(std::pair(paced.trust, paced.refresh - last), std::pair(trust, moved)) << when;
    }
    // Returns before their refresh take the trust back four at a time, and with it the pacing.
    FramePacing distrusted = Learnt(s);
    std::vector<std::pair<int, bool>> trusts;
    for (const Micros offset : {s - 501, s - 501, s - 501, s, s - 501, s - 501}) {
        NoteSwap(distrusted, distrusted.refresh + offset - 3'000, distrusted.refresh + offset);
        trusts.emplace_back(distrusted.trust, Paced(distrusted));
    }
    // clang-format off
    EXPECT_EQ(trusts, (std::vector<std::pair<int, bool>>{{12, true}, {8, true}, {4, true}, {5, true}, {1, true}, {0, false}}));
    // clang-format on
    // Paced again by sixteen returns that agree, 64 periods on the grid measure the period again
    // from the last learning return, on returns a little before the refreshes foretold, which
    // move the grid all the way.
    FramePacing pacing = distrusted;
    for (int swap = 0; swap < 16; ++swap) {
        NoteSwap(pacing, pacing.lastReturn + s - 3'000, pacing.lastReturn + s);
    }
    std::vector<Micros> periods;
    for (int refresh = 1; refresh <= 64; ++refresh) {
        NoteSwap(pacing, pacing.lastReturn + 13'000, pacing.lastReturn + 16'600);
        periods.push_back(pacing.period);
    }
    EXPECT_EQ(std::pair(periods[62], periods[63]), std::pair(s, Micros{16'600}));
    // A drawing longer than the margin leaves, at once, half of its excess over the drawing so
    // far and a millisecond's slack.
    NoteDrawing(pacing, 12'000);
    EXPECT_EQ(pacing.margin, 7'000);
}

TEST(FramePacing, TheMarginFollowsTheDrawingRisesOnAMissedRefreshAndFallsSlowly) {
    using Ms = std::vector<Micros>;
    // Per picture: its drawing, its return after the refresh aimed at; then the deadline after
    // the last return and the margin afterwards, worked out in the comments.
    const Ms took = {2'000, 2'000, 8'000, 1'000, 1'000, 1'000, 1'000};
    const Ms late = {300, 16'667 + 300, 300, 300, -600, 5'000, 16'667 - 300};
    Ms deadlines, margins;
    FramePacing pacing = Learnt(16'667);
    for (std::size_t picture = 0; picture < took.size(); ++picture) {
        const Micros deadline = NextDeadline(pacing, pacing.lastReturn + 100);
        deadlines.push_back(deadline - pacing.lastReturn);
        NoteDrawing(pacing, took[picture]);
        NoteSwap(pacing, deadline + took[picture], pacing.aim + late[picture]);
        margins.push_back(pacing.margin);
    }
    // Drawing 1000 (half the first), 1500, 4750, 4516, 4297, 4091, 3898; the grid moves an eighth
    // of each late return (37). Margins: 5000 - (5000 - 2000) / 128; missed, + 1000; 5977 - (5977
    // - 5750) / 128; 5976 - (5976 - 5516) / 128; a return 0.6 ms before its refresh did not wait
    // and one 5 ms late is the thread's own delay: both leave the margin; missed again, though
    // back a little early, + 1000.
    // clang-format off
    EXPECT_EQ(deadlines, (Ms{16'667 - 5'000, 16'667 + 37 - 300 - 4'977, 16'667 + 37 - 300 - 5'977, 16'667 + 37 - 300 - 5'976, 16'667 + 37 - 300 - 5'973, 16'667 - 5'973 + 600, 16'667 - 5'000 - 5'973}));
    // clang-format on
    EXPECT_EQ(margins, (Ms{4'977, 5'977, 5'976, 5'973, 5'973, 5'973, 6'973}));
    EXPECT_EQ(pacing.drawing, 3'898);
    EXPECT_EQ(pacing.trust, TrustedReturns - OffGridDistrust + 1);
    // Refreshes missed one after another raise it to a period and no further: drawing never
    // starts before the refresh ahead of the one it aims at.
    for (int missed = 0; missed < 12; ++missed) {
        NextDeadline(pacing, pacing.lastReturn + 100);
        NoteSwap(pacing, pacing.aim, pacing.aim + 16'667 + 300);
    }
    EXPECT_EQ(pacing.margin, pacing.period);
    // Each refresh caught again takes a 128th of the margin's excess over drawing and slack:
    // 16667 - 11769 / 128, then 16576 - 11678 / 128.
    for (int caught = 0; caught < 2; ++caught) {
        NextDeadline(pacing, pacing.lastReturn + 100);
        NoteSwap(pacing, pacing.aim, pacing.aim + 300);
    }
    EXPECT_EQ(pacing.margin, 16'485);
}

TEST(FramePacing, TheLoopLooksOftenOnlyNearTheTimeOfATick) {
    // The last tick seen at 1.0001 s; the ticks 16 ms apart.
    const Micros seen = 1'000'100;
    // clang-format off
    const std::pair<Micros, bool> looks[] = {{seen + 1'500, true}, {seen + 1'501, false}, {seen + 16'000 - 2'501, false}, {seen + 16'000 - 2'500, true},
                                             {seen + 16'000 + 1'500, true}, {seen + 32'000 - 2'500, true}, {seen + 32'000 - 2'501, false}};
    // clang-format on
    for (auto [now, soon] : looks) {
        EXPECT_EQ(TickDueSoon(seen, now), soon) << now;
    }
    EXPECT_FALSE(TickDueSoon(0, 1'000)) << "no tick seen yet";
}

TEST(FramePacing, TheLoopRestsInWholeMillisecondsUntilTheLastStretchOfAWaitAndNearATick) {
    // A look 2 ms ago, which found a new tick or not and what it found, on a display that paces
    // nothing or on a paced one at 60 Hz, paused or not, the loop standing still before or not,
    // the last tick seen before it 16 ms (due again) or 8 ms ago: the rest, and after it whether
    // the loop stands still, its next deadline (the last one, 3 ms ago, kept while it rests) and
    // the refresh aimed at (7 before).
    const FramePacing sixty = Learnt(16'667);
    const Micros now = sixty.lastReturn + 100, next = sixty.lastReturn + 16'667;
    enum { AtOnce, At60Hz, At60HzPaused };
    // clang-format off
    const std::tuple<const char*, Look, bool, int, bool, Micros, int, Micros, bool, Micros, Micros> looks[] = {
        {"a picture", Look::Present, true, At60Hz, true, 8'000, 0, 0, false, next - 5'000, next},
        {"a window's picture", Look::Present, false, AtOnce, true, 8'000, 0, 0, false, now, 7},
        {"standing still a first time", Look::StandingStill, true, At60Hz, false, 16'000, 1, 0, true, now - 3'000, 0},
        {"standing still again", Look::StandingStill, true, AtOnce, true, 8'000, 32, 0, true, now - 3'000, 0},
        {"nothing new, paced", Look::Nothing, false, At60Hz, true, 16'000, 0, 0, true, next - 5'000, next},
        {"nothing new near a tick", Look::Nothing, false, AtOnce, true, 16'000, 0, 200, true, now - 3'000, 0},
        {"nothing new away from one", Look::Nothing, false, AtOnce, false, 8'000, 1, 0, false, now - 3'000, 0},
        {"nothing new, paused", Look::Nothing, false, At60HzPaused, false, 16'000, 100, 0, false, now - 3'000, 0},
        {"standing still, paused", Look::StandingStill, true, At60HzPaused, false, 8'000, 100, 0, true, now - 3'000, 0}};
    for (const auto& [name, look, newTick, display, stoodStill, sinceTick, libraryMs, polled, stillAfter, deadline, aim] : looks) {
        LoopMemory loop{display == AtOnce ? FramePacing{} : sixty, now - 3'000, now - sinceTick, stoodStill};
        loop.pacing.aim = 7;
        const Rest rest = AfterLook(loop, newTick, look, now - 2'000, now, display == At60HzPaused);
        EXPECT_EQ(std::tuple(rest.libraryMs, rest.polled, loop.stoodStill, loop.deadline, loop.pacing.aim, loop.tickSeen), std::tuple(libraryMs, polled, stillAfter, deadline, aim, newTick ? now - 2'000 : now - sinceTick)) << name;
        // clang-format on
    }
    // A wait for a moment so far away: whole milliseconds down to its last 3 ms, then sleeps of
    // at most 1 ms, and nothing once it has come.
    // clang-format off
    const std::tuple<Micros, int, Micros> steps[] = {{5'000, 2, 0}, {4'999, 1, 0}, {3'001, 1, 0}, {3'000, 0, 1'000}, {1'001, 0, 1'000}, {1, 0, 1}, {0, 0, 0}, {-5, 0, 0}};
    // clang-format on
    for (const auto& [left, libraryMs, polled] : steps) {
        const Rest step = NextWaitStep(left);
        EXPECT_EQ(std::pair(step.libraryMs, step.polled), std::pair(libraryMs, polled)) << left;
    }
}

TEST(FramePacing, ALookPresentsOnlyWhatTheScreenDoesNotShowYet) {
    const GameState drawn = GameState::newGame(3).tick(0); // the first tick of the ready pause
    const auto look = [&](bool newTick, bool wanted, auto change) {
        GameState newest = drawn;
        change(newest);
        return LookFor(newTick, wanted, &newest, drawn);
    };
    const auto same = [](GameState&) {};
    EXPECT_EQ(LookFor(false, false, nullptr, drawn), Look::Nothing) << "no tick, none published";
    EXPECT_EQ(look(true, false, same), Look::StandingStill) << "the tick on screen";
    EXPECT_EQ(look(false, true, same), Look::Present) << "a window event";
    EXPECT_EQ(LookFor(true, false, nullptr, drawn), Look::Present) << "before the first tick";
    // What a tick of the ready pause or of a finished game changes: nothing the picture shows.
    // clang-format off
    const auto pause = [](GameState& g) { std::tie(g.readyTimer, g.prevPhase, g.prevControls, g.rotateHeld) = std::tuple(9, GAMEOVER, Down, true); };
    // clang-format on
    EXPECT_EQ(look(true, false, pause), Look::StandingStill);
    // Each field that the picture shows, alone.
    for (auto field : {&GameState::nextKind, &GameState::activeKind, &GameState::pieceRotation,
                       &GameState::grade, &GameState::score, &GameState::level,
                       &GameState::frameCount, &GameState::gravityIndex}) {
        EXPECT_EQ(look(true, false, [&](GameState& g) { g.*field += 1; }), Look::Present);
    }
    for (auto field : {&GameState::pieceColumn, &GameState::pieceRow}) {
        EXPECT_EQ(look(true, false, [&](GameState& g) { g.*field += 1; }), Look::Present);
    }
    EXPECT_EQ(look(true, false, [](GameState& g) { g.phase = ACTIVE; }), Look::Present);
    EXPECT_EQ(look(true, false, [](GameState& g) { g.board[209] = PieceJ; }), Look::Present);
}
