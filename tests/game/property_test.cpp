// Seeded games played to the end, aiming or at random, with the record's invariants checked
// after every frame.
#include <gtest/gtest.h>

#include "rules_invariants.h"
#include "rules_player.h"

namespace {
constexpr unsigned int Games = 300;
constexpr int FrameLimit = 60000;
} // namespace

TEST(Property, SeededGamesKeepTheRecordConsistentFrameByFrameUntilGameOver) {
    for (unsigned int seed = 1; seed <= Games; ++seed) {
        rulesplay::Player player{std::mt19937(seed)};
        GameState game = rulesplay::startGame(seed, player);
        for (int frame = 0; game.phase != GAMEOVER; ++frame) {
            ASSERT_LT(frame, FrameLimit) << "seed " << seed << " did not end";
            const GameState before = game;
            const GameState returned = game.tick(player.next(game));
            const char* broken = BrokenTickInvariant(before, game, returned);
            ASSERT_EQ(broken, nullptr) << broken << ", seed " << seed << ", frame " << frame;
        }
        const GameState final = game;
        const GameState returned = game.tick(static_cast<InputBits>(player.random()));
        const char* broken = BrokenTickInvariant(final, game, returned);
        ASSERT_EQ(broken, nullptr) << broken << ", seed " << seed << " after the end";
    }
}
