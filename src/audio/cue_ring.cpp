#include "cue_ring.h"

CueRing PendingCues;

bool PushCue(CueRing& ring, Cue cue) {
    const std::uint32_t written = ring.written.load(std::memory_order_relaxed);
    const std::uint32_t taken = ring.taken.load(std::memory_order_acquire);
    if (written - taken == CueRingSize) {
        return false;
    }
    ring.slots[written % CueRingSize] = cue;
    ring.written.store(written + 1, std::memory_order_release);
    return true;
}

bool TakeCue(CueRing& ring, Cue& cue) {
    const std::uint32_t taken = ring.taken.load(std::memory_order_relaxed);
    const std::uint32_t written = ring.written.load(std::memory_order_acquire);
    if (taken == written) {
        return false;
    }
    cue = ring.slots[taken % CueRingSize];
    ring.taken.store(taken + 1, std::memory_order_release);
    return true;
}

void RaiseCues(const GameState& before, const GameState& after) {
    const CueList list = CuesBetween(before, after);
    for (std::size_t n = 0; n < list.count; ++n) {
        PushCue(PendingCues, list.cues[n]);
    }
}
