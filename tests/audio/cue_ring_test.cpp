// The ring that hands cues from the timer thread to the audio thread: its bounds on one thread,
// then a writer and a reader as busy as they can be, under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <thread>

#include "cue_ring.h"

namespace {
Cue Nth(std::uint32_t n) {
    return static_cast<Cue>(n % CueCount);
}
} // namespace

TEST(CueRing, HoldsSixtyFourCuesInOrderAcrossTheCountsWrap) {
    for (const std::uint32_t start : {0u, 0xFFFFFFF0u}) {
        CueRing ring;
        ring.written = start;
        ring.taken = start;
        Cue cue = Cue::Ready;
        EXPECT_FALSE(TakeCue(ring, cue)) << "empty";
        for (std::uint32_t n = 0; n < 64; ++n) {
            EXPECT_TRUE(PushCue(ring, Nth(n))) << n;
        }
        EXPECT_FALSE(PushCue(ring, Cue::GameOver)) << "the 65th is dropped";
        EXPECT_TRUE(TakeCue(ring, cue));
        EXPECT_EQ(cue, Nth(0));
        EXPECT_TRUE(PushCue(ring, Cue::GameOver)) << "one taken makes room for one";
        EXPECT_FALSE(PushCue(ring, Cue::GameOver));
        for (std::uint32_t n = 1; n < 64; ++n) {
            ASSERT_TRUE(TakeCue(ring, cue));
            EXPECT_EQ(cue, Nth(n)) << n;
        }
        ASSERT_TRUE(TakeCue(ring, cue));
        EXPECT_EQ(cue, Cue::GameOver);
        EXPECT_FALSE(TakeCue(ring, cue)) << "empty again";
    }
}

TEST(CueRing, TheReaderTakesEveryCueOnceInOrderWhileTheWriterWrites) {
    constexpr std::uint32_t Cues = 20000;
    CueRing ring;
    std::thread writer([&] {
        for (std::uint32_t n = 0; n < Cues;) {
            n += PushCue(ring, Nth(n)) ? 1 : 0;
        }
    });
    // Read on to the end after a wrong cue, so that the writer never waits for room for ever.
    std::uint32_t wrong = 0;
    for (std::uint32_t next = 0; next < Cues;) {
        Cue cue = Cue::Ready;
        if (TakeCue(ring, cue)) {
            wrong += cue != Nth(next) ? 1 : 0;
            next += 1;
        }
    }
    writer.join();
    EXPECT_EQ(wrong, 0u) << "cues lost, doubled or out of order";
    Cue cue = Cue::Ready;
    EXPECT_FALSE(TakeCue(ring, cue)) << "and no more than were written";
}
