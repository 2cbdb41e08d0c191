// The main loop between ticks, in the program's real window: it may rest while there is nothing
// to draw, but a tick that is published while no event arrives is still drawn, and a quit
// request still ends the loop. A thread of the test stands in for the logic timer, so that
// it alone decides when a frame is published.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "event_pump.h"
#include "game_state.h"
#include "lifecycle.h"
#include "renderer.h"
#include "snapshot.h"
#include "wait_until.h"

namespace {
using namespace std::chrono_literals;

bool RedrawTaken() {
    return !RedrawPending.load();
}

TEST(MainLoop, EveryPublishedTickIsDrawnWithoutAnEventToWakeItAndAQuitRequestEndsIt) {
    ASSERT_TRUE(OpenWindow());
    CreateRenderObjects();

    constexpr int Ticks = 5;
    int taken = 0;
    std::thread timer([&taken] {
        GameState game = GameState::newGame(1);
        // The loop takes the redraw that stands at start-up with its first pass.
        if (WaitUntil(RedrawTaken, 10s)) {
            for (int tick = 0; tick < Ticks; ++tick) {
                PublishSnapshot(game.tick(0));
                if (!WaitUntil(RedrawTaken, 10s)) {
                    break;
                }
                taken += 1;
            }
        }
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    RunMainLoop();
    timer.join();

    EXPECT_EQ(taken, Ticks) << "a tick published while the loop rested was never drawn";
    EXPECT_FALSE(Running);
    ShutDown();
}
} // namespace
