#include "logic_timer.h"

#include "cue_ring.h"
#include "live_recording.h"
#include "snapshot.h"

GameState LiveGame;
std::atomic<std::uint32_t> HeldControls{};
SDL_TimerID LogicTimer{};

namespace {
// Timer thread only: the frame before the one just ticked, which the cues are found against.
GameState PreviousFrame;
} // namespace

void StepLiveGame() {
    StartRequestedGame(LiveGame);
    // Relaxed is enough: the mask is the whole message, nothing else is handed over with it.
    const InputBits controls = ControlsForTick(HeldControls.load(std::memory_order_relaxed));
    const GameState frame = LiveGame.tick(controls);
    RaiseCues(PreviousFrame, frame);
    PreviousFrame = frame;
    PublishSnapshot(frame);
    HandOverEndedGame(LiveGame);
}
