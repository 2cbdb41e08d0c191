// The cues that two successive records raise: each transition that is heard, beside its
// neighbours that are not.
#include <gtest/gtest.h>

#include <vector>

#include "cues.h"

static GameState In(Phase phase, std::uint32_t ready = 0, PieceKind next = 0,
                    std::uint32_t rows = 0, std::uint32_t grade = 0) {
    GameState game;
    // clang-format off
    std::tie(game.phase, game.readyTimer, game.nextKind, game.clearedCount, game.grade) = std::tuple(phase, ready, next, rows, grade);
    // clang-format on
    return game;
}

// Each kind in the preview has a sound of its own: T, Z, O, I, S, L and J enter below.
// Shifting and turning, in the falling piece's frames, make none.
TEST(Cues, EachTransitionOfPlayAndItsNeighbours) {
    // clang-format off
    const std::tuple<const char*, GameState, GameState, std::vector<Cue>> rows[] = {
        {"the pause's first tick: ready", GameState(), In(READYGO, 1), {Cue::Ready}},               {"the pause's second tick", In(READYGO, 1), In(READYGO, 2), {}},
        {"the first entry: go", In(READYGO, 169), In(ACTIVE, 0, PieceT), {Cue::Go, Cue::PreviewT}}, {"a frame of the falling piece", In(ACTIVE, 0, PieceT), In(ACTIVE, 0, PieceT), {}},
        {"the piece locks", In(ACTIVE), In(LOCKFLASH), {Cue::Lock}},                                {"the flash goes on", In(LOCKFLASH), In(LOCKFLASH), {}},
        {"the flash ends, no row full", In(LOCKFLASH), In(ARE), {}},                                {"no row counted", In(LOCKFLASH), In(LINECLEAR, 0, 0, 0), {Cue::Clear1}},
        {"one row", In(LOCKFLASH), In(LINECLEAR, 0, 0, 1), {Cue::Clear1}},                          {"two rows", In(LOCKFLASH), In(LINECLEAR, 0, 0, 2), {Cue::Clear2}},
        {"three rows", In(LOCKFLASH), In(LINECLEAR, 0, 0, 3), {Cue::Clear3}},                       {"four rows", In(LOCKFLASH), In(LINECLEAR, 0, 0, 4), {Cue::Clear4}},
        {"five counted", In(LOCKFLASH), In(LINECLEAR, 0, 0, 5), {Cue::Clear4}},                     {"the clear goes on", In(LINECLEAR, 0, 0, 4), In(LINECLEAR, 0, 0, 4), {}},
        {"a piece enters after it", In(ARE, 0, PieceI), In(ACTIVE, 0, PieceZ), {Cue::PreviewZ}},    {"the same kind again", In(ARE, 0, PieceO), In(ACTIVE, 0, PieceO), {Cue::PreviewO}},
        {"an I next", In(ARE), In(ACTIVE, 0, PieceI), {Cue::PreviewI}},                             {"an S next", In(ARE), In(ACTIVE, 0, PieceS), {Cue::PreviewS}},
        {"an L next", In(ARE), In(ACTIVE, 0, PieceL), {Cue::PreviewL}},                             {"no kind next", In(ARE), In(ACTIVE, 0, NoPiece), {}},
        {"the grade rises", In(LINECLEAR, 0, 0, 1, 3), In(LINECLEAR, 0, 0, 1, 4), {Cue::Grade}},    {"to S9", In(LINECLEAR, 0, 0, 1, 16), In(LINECLEAR, 0, 0, 1, 17), {Cue::Grade}},
        {"to the top", In(LINECLEAR, 0, 0, 1, 17), In(LINECLEAR, 0, 0, 1, 18), {Cue::TopGrade}},    {"an entry that fails", In(ARE, 0, PieceI), In(GAMEOVER, 0, PieceL), {Cue::GameOver}},
        {"the game stays over", In(GAMEOVER), In(GAMEOVER), {}},                                    {"three", In(READYGO), In(ACTIVE, 0, PieceJ, 0, 1), {Cue::Go, Cue::PreviewJ, Cue::Grade}},
    };
    // clang-format on
    for (const auto& [name, before, after, want] : rows) {
        const CueList heard = CuesBetween(before, after);
        EXPECT_EQ(std::vector(heard.cues.begin(), heard.cues.begin() + heard.count), want) << name;
    }
}
