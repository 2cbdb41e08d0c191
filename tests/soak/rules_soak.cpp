// Long random play of the rules, game after game, checking the invariants of rules_invariants.h
// after every frame. Usage: rules_soak [ticks [seed]]; by default 200000 ticks from seed 1.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "game_state.h"
#include "rules_invariants.h"
#include "rules_player.h"

using rulesplay::Player;
using rulesplay::startGame;

int main(int argc, char** argv) {
    const unsigned long long ticks = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
    const unsigned int seed = argc > 2 ? static_cast<unsigned int>(std::atoi(argv[2])) : 1;
    Player player{std::mt19937(seed)};

    const auto start = std::chrono::steady_clock::now();
    unsigned int games = 1;
    GameState game = startGame(seed, player);
    GameState previous = game;
    std::array<unsigned long long, ListLength + 1> clears{};
    std::uint32_t highestLevel = 0;
    for (unsigned long long tick = 0; tick < ticks; ++tick) {
        // A finished game is kept for one frame, in which it must not change, then replaced.
        if (game.prevPhase == GAMEOVER) {
            game = startGame(seed + games, player);
            previous = game;
            ++games;
        }
        const GameState returned = game.tick(player.next(game));
        StopIfBroken(BrokenTickInvariant(previous, game, returned));
        if (game.phase == LINECLEAR && previous.phase != LINECLEAR) {
            ++clears[game.clearedCount];
        }
        highestLevel = std::max(highestLevel, game.level);
        previous = returned;
    }
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;

    std::printf("%llu ticks, %u games, seed %u, %.1f s\n", ticks, games, seed, taken.count());
    std::printf("line clears of 1/2/3/4 rows: %llu/%llu/%llu/%llu, highest level %u\n", clears[1],
                clears[2], clears[3], clears[4], highestLevel);
    return 0;
}
