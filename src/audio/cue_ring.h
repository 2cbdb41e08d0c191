// The hand-over of cues from the timer thread, which finds them, to the audio thread, which
// plays them: a ring of fixed size with one writer and one reader and no lock, so that neither
// thread can ever wait for the other.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "cues.h"

// A power of two, so that the counts may wrap around 2^32 and still index the ring. Ticks come
// every 16 ms and the reader empties the ring at every buffer, so a few entries would do; a
// ring that fills up (no device, or a device gone) drops the newest cues.
constexpr std::uint32_t CueRingSize = 64;

struct CueRing {
    std::array<Cue, CueRingSize> slots{};
    // Each count is stored by its own side alone; the other side loads it with acquire, which
    // makes the slots written before a store visible to the loader (the writer's cue) or free
    // to reuse (the reader's copy taken).
    std::atomic<std::uint32_t> written{0};
    std::atomic<std::uint32_t> taken{0};
};

// Writer side only: false, and the cue dropped, when the ring is full.
bool PushCue(CueRing& ring, Cue cue);
// Reader side only: false when the ring is empty.
bool TakeCue(CueRing& ring, Cue& cue);

// The ring between the timer thread and the audio thread.
extern CueRing PendingCues;

// Timer thread: hands over the cues of the tick from `before` to `after`.
void RaiseCues(const GameState& before, const GameState& after);
