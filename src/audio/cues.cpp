#include "cues.h"

#include <algorithm>

namespace {
void Add(CueList& list, Cue cue) {
    list.cues[list.count] = cue;
    list.count += 1;
}

bool Entered(const GameState& before, const GameState& after, Phase phase) {
    return before.phase != phase && after.phase == phase;
}
} // namespace

Cue PreviewCue(PieceKind kind) {
    return static_cast<Cue>(static_cast<std::uint32_t>(Cue::PreviewI) + kind);
}

Cue ClearCue(std::uint32_t rows) {
    // A count outside the rules' 1 to 4 still gives a sound that exists.
    const std::uint32_t heard = std::clamp<std::uint32_t>(rows, 1, 4);
    return static_cast<Cue>(static_cast<std::uint32_t>(Cue::Clear1) + heard - 1);
}

CueList CuesBetween(const GameState& before, const GameState& after) {
    CueList list;
    // The pause's timer counts its ticks and stands at 0 outside it.
    if (after.readyTimer == 1) {
        Add(list, Cue::Ready);
    }
    if (before.phase == READYGO && after.phase == ACTIVE) {
        Add(list, Cue::Go);
    }
    // Every entry shows a new piece in the preview, even one of the same kind as before. An
    // entry that does not fit ends the game instead, and only that is heard.
    if (Entered(before, after, ACTIVE) && after.nextKind < PieceKindCount) {
        Add(list, PreviewCue(after.nextKind));
    }
    if (before.phase == ACTIVE && after.phase == LOCKFLASH) {
        Add(list, Cue::Lock);
    }
    if (Entered(before, after, LINECLEAR)) {
        Add(list, ClearCue(after.clearedCount));
    }
    if (after.grade > before.grade) {
        Add(list, after.grade >= TopGrade ? Cue::TopGrade : Cue::Grade);
    }
    if (Entered(before, after, GAMEOVER)) {
        Add(list, Cue::GameOver);
    }
    return list;
}
