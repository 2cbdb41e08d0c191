#include "verify.h"

#include "dealer.h"
#include "recording.h"
#include "text_lines.h"

namespace {
std::string Describe(const GameResult& r) {
    return "grade " + GradeWord(r.grade) + ", " + std::to_string(r.score) + " points, level " +
           std::to_string(r.level) + ", " + std::to_string(r.frames) + " frames";
}
} // namespace

Verdict VerifyReplayText(const std::string& name, const std::string& text) {
    Replay replay;
    const std::string wrong = ReadReplay(text, replay);
    if (!wrong.empty()) {
        return {NotPlayable, name + ": not a replay: " + wrong};
    }
    if (replay.dealer != DealingLibrary) {
        return {NotPlayable, name + ": dealt by " + replay.dealer +
                                 "'s rand, and this program deals with " + DealingLibrary +
                                 "'s: it cannot play the same game"};
    }
    const GameState end = PlayThrough(replay);
    const GameResult reached = ResultOf(end);
    if (end.phase != GAMEOVER) {
        return {ResultDiffers, name + ": does not match: the game has not ended at " +
                                   Describe(reached) + "; the file states " +
                                   Describe(replay.result)};
    }
    if (!(reached == replay.result)) {
        return {ResultDiffers, name + ": does not match: the game ends at " + Describe(reached) +
                                   "; the file states " + Describe(replay.result)};
    }
    return {ResultMatches, name + ": matches: " + Describe(reached)};
}
