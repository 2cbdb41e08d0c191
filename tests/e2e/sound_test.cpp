// What the program plays, written to a file by the media library's disk driver at the device's
// pace, 480 frames of mono 16-bit samples at 48 kHz every 10 ms: the lock click of a game held
// on soft drop, in its place after the go cue, and nothing after M until M again.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "x_play.h"

namespace {
constexpr long FramesPerTick = 768; // 16 ms at 48 kHz
constexpr long Buffer = 480;
constexpr long Quiet = 2400; // 50 ms of silence part two sounds

bool InPhase(const Picture& picture, const std::string& phase) {
    return ReadText(picture, -17, -2, 9) == phase + std::string(9 - phase.size(), ' ');
}
long CellsInTheWell(const Picture& picture) {
    const std::string well = ReadCells(picture, -5, 10, 10, 20);
    return std::count_if(well.begin(), well.end(), [](char cell) { return std::isupper(cell); });
}

std::vector<std::int16_t> Samples(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

struct Heard {
    long start;  // frame
    long length; // frames up to the last one not silent
};

// The sounds in order, each after at least Quiet frames of silence.
std::vector<Heard> Sounds(const std::vector<std::int16_t>& samples, long from, long to) {
    std::vector<Heard> sounds;
    long silent = Quiet;
    for (long n = from; n < to; ++n) {
        if (samples[n] == 0) {
            silent += 1;
            continue;
        }
        if (silent >= Quiet) {
            sounds.push_back({n, 0});
        }
        sounds.back().length = n + 1 - sounds.back().start;
        silent = 0;
    }
    return sounds;
}

long FramesWritten(const std::string& file) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    return error ? 0 : static_cast<long>(bytes / 2);
}
} // namespace

// S goes down during the start-up pause, so the rules fix the tick of the lock: the first piece
// enters in the pause's 170th tick, which raises the go cue, falls a row a tick and locks as it
// lands, 19 ticks later for an I (whose cells lie in the box's row 1) and 18 for the others. In
// the file, the go cue and the click each start in the first buffer after their tick. A buffer
// comes no sooner than 10 ms after the last, so between the two starts lie at most the ticks'
// frames and one buffer more, and a second buffer allows for a timer that ran late. The
// driver's sleeps run long, by a percent or two on a quiet machine, which only brings the click
// nearer; a quarter is allowed for that on a busy one.
TEST(Sound, TheLockClicksInItsPlaceAndMSilencesTheGameUntilPressedAgain) {
    const std::string file = testing::TempDir() + "velmora-sound-" + std::to_string(getpid());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    XPlay game(VELMORA_PROGRAM, std::filesystem::path(VELMORA_PROGRAM).parent_path());
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    unsetenv("SDL_DISKAUDIOFILE"); // read by the program's start-up, which has run
    const std::string preview = ReadCells(game.last, -2, 14, 4, 2);
    const long lockTicks = preview.find('I') != std::string::npos ? 19 : 18;
    game.key("s", true);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 0s))
        << "S went down before the piece entered";
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "LOCKFLASH") || InPhase(p, "ARE"); }, 10s));
    game.key("s", false);
    // The next piece enters 30 ticks after the lock; 20 more, and its sound has ended.
    ASSERT_TRUE(game.waitFor(
        [&](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) >= lockTicks + 50; }, 10s));

    const long muted = FramesWritten(file);
    game.key("m", true);
    game.key("m", false);
    game.key("s", true);
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "ARE") && CellsInTheWell(p) == 8; }, 10s));
    game.key("s", false);
    const long lockedAgain = ReadFrames(game.last);
    ASSERT_TRUE(game.waitFor(
        [&](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) >= lockedAgain + 50; }, 10s));

    const long unmuted = FramesWritten(file);
    game.key("m", true);
    game.key("m", false);
    game.key("s", true);
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "ARE") && CellsInTheWell(p) == 12; }, 10s));
    game.key("s", false);
    std::this_thread::sleep_for(200ms); // the click played out
    game.close();
    ASSERT_EQ(game.ended(1s), 0);
    EXPECT_EQ(game.output(".err"), "CRITICAL: You are using the SDL disk i/o audio driver!\n"
                                   "CRITICAL:  Writing to file [" +
                                       file + "].\n");

    const std::vector<std::int16_t> samples = Samples(file);
    std::remove(file.c_str());
    ASSERT_GT(static_cast<long>(samples.size()), unmuted);
    const std::vector<Heard> before = Sounds(samples, 0, muted);
    ASSERT_GE(before.size(), 3u) << "ready, go, the click";
    const long ready = before[0].start, go = before[1].start, click = before[2].start;
    const long pause = (170 - 1) * FramesPerTick, fall = lockTicks * FramesPerTick;
    EXPECT_GE(go - ready, pause * 3 / 4);
    EXPECT_LE(go - ready, pause + 2 * Buffer);
    EXPECT_GE(click - go, fall * 3 / 4);
    EXPECT_LE(click - go, fall + 2 * Buffer);
    EXPECT_GE(before[2].length, 20 * 48) << "a click of 30 ms, silent at its ends";
    EXPECT_LE(before[2].length, 30 * 48);

    EXPECT_EQ(Sounds(samples, muted, unmuted).size(), 0u) << "a lock and an entry, not heard";
    EXPECT_GE(unmuted - muted, 48000) << "the device went on meanwhile";
    const std::vector<Heard> after = Sounds(samples, unmuted, static_cast<long>(samples.size()));
    ASSERT_GE(after.size(), 1u) << "heard again";
    EXPECT_LE(after[0].length, 30 * 48) << "the click first";
}
