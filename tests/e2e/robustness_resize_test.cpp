// A storm of window resizes, from 1 by 1 to the largest window the X server makes, bursts sent
// without waiting and single sizes held for a few frames: the program survives all of them, and
// once the window is back to 1280 by 720 the picture is right again.
//
// Mesa's software rasteriser crashes when it first draws into a window that has just grown to
// 32767 by 32767. The program draws nothing while the window is beyond the GL's largest
// viewport (the renderer's tests check that), but it learns of a size only from the resize
// event, and cannot close the instant between a resize and its reading the event. So the storm
// reaches that size through one beyond the viewport that the program has had time to see, as a
// player dragging a window edge would.
#include "game_session.h"
#include "robustness_x_client.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace {

struct Size {
    unsigned width;
    unsigned height;
};

// Window sizes are 16-bit in the X protocol, and the server keeps window geometry in signed
// 16-bit coordinates, so 32767 is the largest it can mean.
constexpr unsigned LargestXSize = 32767;

// Each held long enough for the program to draw a few frames at it, or to see it.
const std::vector<Size> ExtremeSizes = {
    {1, 1},
    {1, 720},
    {1280, 1},
    {8000, 8000},
    {1, 8000},
    {8000, 1},
    {2, 3},
    {4096, 4096},
    {16384, 16384},
    {LargestXSize, 1},
    {1, LargestXSize},
    {20000, 20000},
    {LargestXSize, LargestXSize},
    {20000, 20000},
};

std::string SizesText(const std::vector<Size>& sizes) {
    std::ostringstream text;
    for (const Size& size : sizes) {
        text << size.width << "x" << size.height << " ";
    }
    return text.str();
}

TEST(ResizeStorm, AfterHundredsOfResizesOfEveryShapeTheWindowAt1280By720ShowsTheGameAgain) {
    GameSession game;
    ASSERT_TRUE(game.waitFor(ShowsGame, 10s));
    XStormClient storm(game.x().name());
    std::mt19937 random(20240611);
    std::uniform_int_distribution<unsigned> side(1, 3000);
    std::vector<Size> refused;
    std::size_t resizes = 0;

    const auto send = [&](const Size& size) {
        storm.resize(game.window(), size.width, size.height);
        ++resizes;
    };
    for (int round = 0; round < 4; ++round) {
        // A burst of random sizes, all queued before the program sees the first.
        for (int i = 0; i < 60; ++i) {
            send({side(random), side(random)});
        }
        EXPECT_TRUE(storm.sync().empty());
        for (const Size& size : ExtremeSizes) {
            send(size);
            const auto errors = storm.sync();
            EXPECT_TRUE(errors.empty()) << size.width << "x" << size.height << " error "
                                        << (errors.empty() ? 0 : errors[0].errorCode);
            // A few frames at this size.
            std::this_thread::sleep_for(100ms);
            ASSERT_TRUE(game.process().running())
                << "after " << size.width << "x" << size.height << ": status "
                << game.process().waitForExit(0ms).value_or(-1) << "\n"
                << game.standardError() << game.standardOutput();
        }
        // The protocol refuses a side of 0 with BadValue, so the program never meets it; the
        // window keeps the size it had.
        for (const Size& size : {Size{0, 720}, Size{1280, 0}, Size{0, 0}}) {
            const WindowSize before = game.windowSize();
            send(size);
            const auto errors = storm.sync();
            if (errors.size() == 1 && errors[0].errorCode == XBadValue &&
                errors[0].requestCode == XConfigureWindowRequest) {
                refused.push_back(size);
                EXPECT_EQ(game.windowSize().width, before.width);
                EXPECT_EQ(game.windowSize().height, before.height);
            } else {
                EXPECT_TRUE(errors.empty());
            }
        }
        ASSERT_TRUE(game.process().running());
    }
    EXPECT_GE(resizes, 300u);
    std::cout << resizes << " resizes; refused by the X server: " << SizesText(refused) << "\n";

    storm.resize(game.window(), 1280, 720);
    EXPECT_TRUE(storm.sync().empty());
    EXPECT_EQ(game.windowSize().width, 1280);
    EXPECT_EQ(game.windowSize().height, 720);
    // The program may be in the middle of a frame at 16384 by 16384 when the storm ends, and the
    // software rasteriser takes seconds over one of those, twenty on a busy machine.
    const auto lastResize = std::chrono::steady_clock::now();
    const auto settled = game.waitFor(
        [](const ScreenReading& r) { return ShowsGame(r) && r.wellFrame && r.phase == "ACTIVE"; },
        60s);
    std::cout
        << "the game showed again after "
        << std::chrono::duration<double>(std::chrono::steady_clock::now() - lastResize).count()
        << " s\n";
    ASSERT_TRUE(settled) << "phase '" << game.lastReading().phase << "'";
    // And the game is still counting, read through the camera of the new size.
    const unsigned frames = *DisplayedNumber(settled->frames);
    EXPECT_TRUE(game.waitFor(
        [&](const ScreenReading& r) {
            return ShowsGame(r) && r.wellFrame && DisplayedNumber(r.frames) >= frames + 30;
        },
        5s));
    game.process().signal(SIGTERM);
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

} // namespace
