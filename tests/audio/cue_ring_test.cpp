// The ring that hands cues from the timer thread to the audio thread, with a writer and a reader
// as busy as they can be, under ThreadSanitizer too: the writer fills the ring again and again.
#include <gtest/gtest.h>

#include <thread>

#include "cue_ring.h"

TEST(CueRing, HandsEachCueOverOnceInOrderBetweenTwoThreads) {
    constexpr std::uint32_t Cues = 20000;
    CueRing ring;
    ring.written = ring.taken = 0xFFFFFFF0u; // the counts wrap early on
    std::thread writer([&] {
        for (std::uint32_t n = 0; n < Cues;
             n += PushCue(ring, static_cast<Cue>(n % CueCount)) ? 1 : 0) {
        }
    });
    // Read on to the end after a wrong cue, so that the writer never waits for room for ever.
    std::uint32_t wrong = 0;
    for (std::uint32_t next = 0; next < Cues;) {
        if (Cue cue = Cue::Ready; TakeCue(ring, cue)) {
            wrong += cue != static_cast<Cue>(next++ % CueCount) ? 1 : 0;
        }
    }
    writer.join();
    EXPECT_EQ(wrong, 0u) << "cues lost, doubled or out of order";
    // clang-format off
    EXPECT_FALSE([] { CueRing fresh; Cue cue; return TakeCue(fresh, cue); }()) << "none in a new ring";
    // clang-format on
}
