// Fuzz target for the rules: the input picks a game (its seed and its level) and the controls
// held frame after frame; every frame must keep the invariants. Built without libFuzzer, with
// corpus_main.cpp, it replays the saved corpus in make test.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "rules_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t used = 0;
    auto next = [&] { return used < size ? data[used++] : 0u; };
    Player player{std::mt19937(next())};
    GameState game = StartGame(next() << 8 | next(), player);
    for (int frame = 0; frame < 2000 && game.prevPhase != GAMEOVER; ++frame) {
        const std::uint32_t byte = next();
        const InputBits controls = byte == 0xFF ? player.next() : byte;
        const GameState before = game;
        const GameState returned = game.tick(controls);
        if (const char* broken = BrokenInvariant(before, game, returned)) {
            std::fprintf(stderr, "rules invariant broken in frame %d: %s\n", frame, broken);
            std::abort();
        }
    }
    return 0;
}
