#include "snapshot.h"

#include <mutex>

GameState RenderSnapshot;
std::atomic<bool> SnapshotReady{false};
std::atomic<bool> RedrawPending{};

namespace {
// Both sides hold the lock only for one record copy, which never allocates, so the timer thread
// waits at most one copy for the main thread and the main thread never sees a frame
// half-written.
std::mutex SnapshotLock;
} // namespace

void PublishSnapshot(const GameState& frame) {
    {
        std::lock_guard<std::mutex> guard(SnapshotLock);
        RenderSnapshot = frame;
    }
    SnapshotReady.store(true, std::memory_order_release);
    RedrawPending.store(true, std::memory_order_release);
}

bool CopySnapshot(GameState& into) {
    if (!SnapshotReady.load(std::memory_order_acquire)) {
        return false;
    }
    std::lock_guard<std::mutex> guard(SnapshotLock);
    into = RenderSnapshot;
    return true;
}
