// The pause: which events pause and resume in which phase, and the timer's ticks around pauses.
#include <gtest/gtest.h>

#include <random>

#include "live_recording.h"
#include "logic_timer.h"
#include "pause.h"
#include "snapshot.h"

TEST(Pause, OnlyAGameUnderWayPausesAndOnlyThePauseKeyResumes) {
    // Paused before or not, then paused after, in the phases NONE, READYGO, ACTIVE, LOCKFLASH,
    // LINECLEAR, ARE and GAMEOVER.
    // clang-format off
    const std::tuple<PauseEvent, bool, const char*> cases[] = {
        {PauseEvent::PauseKey, false, "0111110"},  {PauseEvent::PauseKey, true, "1000001"},
        {PauseEvent::FocusLost, false, "0111110"}, {PauseEvent::FocusLost, true, "1111111"},
        {PauseEvent::Minimised, false, "0111110"}, {PauseEvent::ControllerUnplugged, false, "0111110"}};
    // clang-format on
    for (const auto& [event, before, want] : cases) {
        std::string got;
        for (std::uint32_t phase = NONE; phase <= GAMEOVER; ++phase) {
            got += PausedAfter(before, static_cast<Phase>(phase), event) ? '1' : '0';
        }
        EXPECT_EQ(got, want) << static_cast<int>(event) << " after " << before;
    }
    // The main thread's handler answers whether the event changed anything, and publishes each
    // change and the moment of a resume.
    // clang-format off
    EXPECT_TRUE(!HandlePauseEvent(PauseEvent::PauseKey, GAMEOVER) && HandlePauseEvent(PauseEvent::PauseKey, ACTIVE) && GamePaused);
    // clang-format on
    const std::uint64_t before = SDL_GetPerformanceCounter();
    EXPECT_TRUE(HandlePauseEvent(PauseEvent::PauseKey, ARE) && !GamePaused && ResumedAt >= before);
}

// The timer's wakes on a clock of microseconds, each up to 0.3 ms late, with pauses of up to half a
// second begun anywhere: every tick gives the record of the same tick played without pauses, none
// runs while paused, and the first 100 ms after a resume hold the six ticks of 100 ms, the first
// one period after the resume.
TEST(Pause, ASeededGameWithPausesAnywhereReachesTheSameRecordAtEveryTick) {
    constexpr std::uint32_t Ticks = 4000;
    constexpr std::uint64_t Period = TickPeriodMs * 1000;
    std::mt19937 random(26);
    std::vector<InputBits> controls;
    std::vector<GameState> expected;
    GameState game = GameState::newGame(26);
    for (std::uint32_t n = 0; n < Ticks; ++n) {
        controls.push_back(random() % 3 ? Down : random() % 2 ? Left : RotateCw);
        expected.push_back(game.tick(controls.back()));
    }
    RequestNewGame(26);
    TickSchedule schedule{1'000'000};
    PauseGate gate;
    bool paused = false;
    std::uint64_t now = 0, toggle = 50'000, resumedAt = 0, ticksSinceResume = 0;
    GameState frame;
    for (std::uint32_t n = 0; n < Ticks;) {
        if (now >= toggle) {
            paused = !paused;
            resumedAt = paused ? resumedAt : toggle;
            ticksSinceResume = 0;
            toggle += paused ? random() % 500'000 : 100'000 + random() % 400'000;
        }
        std::uint32_t delay = HoldTick(gate, schedule, paused, resumedAt, now);
        if (delay == 0) {
            ASSERT_FALSE(paused);
            if (resumedAt > 0 && ticksSinceResume++ < 6) {
                EXPECT_EQ((now - resumedAt) / Period, ticksSinceResume) << "tick " << n;
            }
            HeldControls = controls[n];
            StepLiveGame();
            ASSERT_TRUE(CopySnapshot(frame));
            ASSERT_EQ(frame, expected[n]) << "tick " << n;
            ++n;
            delay = NextTickDelay(schedule, now);
        }
        now += delay * 1000 + random() % 300;
    }
}
