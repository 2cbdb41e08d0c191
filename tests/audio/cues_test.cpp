// The cues that two successive records raise: each transition that is heard, beside its
// neighbours that are not.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "cues.h"

namespace {
GameState In(Phase phase, const std::function<void(GameState&)>& change = {}) {
    GameState game;
    game.phase = phase;
    if (change) {
        change(game);
    }
    return game;
}

std::vector<Cue> Heard(const GameState& before, const GameState& after) {
    const CueList list = CuesBetween(before, after);
    return {list.cues.begin(), list.cues.begin() + static_cast<long>(list.count)};
}

auto Ready(std::uint32_t timer) {
    return [timer](GameState& g) { g.readyTimer = timer; };
}
auto Next(PieceKind kind) {
    return [kind](GameState& g) { g.nextKind = kind; };
}
auto Rows(std::uint32_t rows) {
    return [rows](GameState& g) { g.clearedCount = rows; };
}
auto Grade(std::uint32_t grade) {
    return [grade](GameState& g) { g.grade = grade; };
}
} // namespace

TEST(Cues, EachTransitionOfPlayAndItsNeighbours) {
    const struct {
        const char* name;
        GameState before, after;
        std::vector<Cue> want;
    } rows[] = {
        {"the first tick of the pause: ready", GameState(), In(READYGO, Ready(1)), {Cue::Ready}},
        {"the second tick of the pause", In(READYGO, Ready(1)), In(READYGO, Ready(2)), {}},
        {"the pause's 169th tick", In(READYGO, Ready(168)), In(READYGO, Ready(169)), {}},
        {"the first piece enters: go, and the next piece's sound",
         In(READYGO, Ready(169)),
         In(ACTIVE, Next(PieceT)),
         {Cue::Go, Cue::PreviewT}},
        {"the piece's first frame", In(ACTIVE, Next(PieceT)), In(ACTIVE, Next(PieceT)), {}},
        {"a shift and a turn",
         In(ACTIVE),
         In(ACTIVE,
            [](GameState& g) {
                g.pieceColumn = 4;
                g.pieceRotation = 1;
                g.shiftRepeat = 1;
            }),
         {}},
        {"the piece locks: a click", In(ACTIVE), In(LOCKFLASH), {Cue::Lock}},
        {"the flash goes on", In(LOCKFLASH), In(LOCKFLASH), {}},
        {"the flash ends with no row full", In(LOCKFLASH), In(ARE), {}},
        {"one row", In(LOCKFLASH), In(LINECLEAR, Rows(1)), {Cue::Clear1}},
        {"two rows", In(LOCKFLASH), In(LINECLEAR, Rows(2)), {Cue::Clear2}},
        {"three rows", In(LOCKFLASH), In(LINECLEAR, Rows(3)), {Cue::Clear3}},
        {"four rows", In(LOCKFLASH), In(LINECLEAR, Rows(4)), {Cue::Clear4}},
        {"the clear goes on", In(LINECLEAR, Rows(4)), In(LINECLEAR, Rows(4)), {}},
        {"the clear ends", In(LINECLEAR, Rows(4)), In(ARE, Rows(4)), {}},
        {"the delay goes on", In(ARE, Next(PieceI)), In(ARE, Next(PieceI)), {}},
        {"a piece enters after the delay",
         In(ARE, Next(PieceI)),
         In(ACTIVE, Next(PieceZ)),
         {Cue::PreviewZ}},
        {"the next piece is of the same kind again",
         In(ARE, Next(PieceO)),
         In(ACTIVE, Next(PieceO)),
         {Cue::PreviewO}},
        {"the grade rises", In(LINECLEAR, Grade(3)), In(LINECLEAR, Grade(4)), {Cue::Grade}},
        {"the grade rises by several",
         In(LINECLEAR, Grade(3)),
         In(LINECLEAR, Grade(6)),
         {Cue::Grade}},
        {"the grade stays", In(LINECLEAR, Grade(4)), In(LINECLEAR, Grade(4)), {}},
        {"the grade reaches S9", In(LINECLEAR, Grade(16)), In(LINECLEAR, Grade(17)), {Cue::Grade}},
        {"the grade reaches the top",
         In(LINECLEAR, Grade(17)),
         In(LINECLEAR, Grade(18)),
         {Cue::TopGrade}},
        {"a piece enters but does not fit",
         In(ARE, Next(PieceI)),
         In(GAMEOVER, Next(PieceL)),
         {Cue::GameOver}},
        {"the game stays over", In(GAMEOVER), In(GAMEOVER), {}},
        {"three at once",
         In(READYGO, Ready(169)),
         In(ACTIVE,
            [](GameState& g) {
                g.nextKind = PieceJ;
                g.grade = 1;
            }),
         {Cue::Go, Cue::PreviewJ, Cue::Grade}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Heard(row.before, row.after), row.want) << row.name;
    }
}

TEST(Cues, EachKindInThePreviewHasASoundOfItsOwn) {
    const Cue want[] = {Cue::PreviewI, Cue::PreviewZ, Cue::PreviewS, Cue::PreviewO,
                        Cue::PreviewT, Cue::PreviewL, Cue::PreviewJ};
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        EXPECT_EQ(Heard(In(ARE), In(ACTIVE, Next(kind))), std::vector<Cue>{want[kind]}) << kind;
    }
}
