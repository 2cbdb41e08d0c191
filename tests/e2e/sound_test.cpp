// What the program plays, written to a file by the media library's disk driver at the device's
// pace, 480 frames of mono 16-bit samples at 48 kHz every 10 ms: the lock click of a game held
// on soft drop, in its place after the go cue, and nothing after M until M again.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "x_play.h"

constexpr long FramesPerTick = 768; // 16 ms at 48 kHz
constexpr long Buffer = 480;

// S goes down during the start-up pause, so the rules fix the tick of the lock: the first piece
// enters in the pause's 170th tick, which raises the go cue, falls a row a tick and locks as it
// lands, 19 ticks later for an I (whose cells lie in the box's row 1) and 18 for the others. In
// the file, the go cue and the click each start in the first buffer after their tick. A buffer
// comes no sooner than 10 ms after the last, so between the two starts lie at most the ticks'
// frames and one buffer more, and a second buffer allows for a timer that ran late. The
// driver's sleeps run long, by a percent or two on a quiet machine, which only brings the click
// nearer; a quarter is allowed for that on a busy one. The file is read for M as it grows: what
// it holds at a press was played before it.
TEST(Sound, TheLockClicksInItsPlaceAndMSilencesTheGameUntilPressedAgain) {
    const std::string file = testing::TempDir() + "velmora-sound-" + std::to_string(getpid());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    XPlay game(VELMORA_PROGRAM, std::filesystem::path(VELMORA_PROGRAM).parent_path());
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    const long fall = ReadCells(game.last, -2, 14, 4, 2).find('I') != std::string::npos ? 19 : 18;
    game.key("s", true); // 2.7 s before the piece enters
    long pressed[2] = {};
    for (int round = 0; round < 3; ++round) { // a lock, one after M, one after M again
        // clang-format off
        ASSERT_TRUE(game.waitFor([&](auto& p) { return InPhase(p, "ARE") && CellsInTheWell(p) == 4 * round + 4; }, 10s));
        // clang-format on
        game.key("s", false);
        // The next piece enters 26 ticks on, and its sound has ended 20 after.
        const long locked = ReadFrames(game.last);
        // clang-format off
        ASSERT_TRUE(game.waitFor([&](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) >= locked + 46; }, 10s));
        // clang-format on
        if (round < 2) {
            pressed[round] = static_cast<long>(std::filesystem::file_size(file) / 2);
            game.tap("m");
            game.key("s", true);
        }
    }
    ASSERT_TRUE(game.closes(1s));

    std::vector<std::int16_t> samples(std::filesystem::file_size(file) / 2);
    std::ifstream(file, std::ios::binary)
        .read(reinterpret_cast<char*>(samples.data()), static_cast<long>(samples.size() * 2));
    std::remove(file.c_str());
    // Where each sound starts, after at least 50 ms of silence.
    std::vector<long> starts;
    for (long n = 0, silent = 2400; n < static_cast<long>(samples.size()); ++n, ++silent) {
        if (samples[n] != 0) {
            starts.insert(starts.end(), silent >= 2400 ? 1 : 0, n);
            silent = -1;
        }
    }
    ASSERT_GE(starts.size(), 3u) << "ready, go, the click";
    EXPECT_GE(starts[2] - starts[1], fall * FramesPerTick * 3 / 4);
    EXPECT_LE(starts[2] - starts[1], fall * FramesPerTick + 2 * Buffer);
    const auto at = [&](long frame) { return samples.begin() + frame; };
    // clang-format off
    EXPECT_TRUE(std::all_of(at(pressed[0]), at(pressed[1]), [](int s) { return s == 0; })) << "a lock and an entry after M, not heard";
    EXPECT_TRUE(std::any_of(at(pressed[1]), samples.end(), [](int s) { return s != 0; })) << "heard again after M again";
    // clang-format on
}
