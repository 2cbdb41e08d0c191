// Fuzz target for the rules: the input picks a game (its seed and its level) and the controls
// held frame after frame; every frame must keep the invariants. Built without libFuzzer, main()
// replays the files it is given, so the saved corpus runs in make test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

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

#ifndef VELMORA_FUZZER
int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("%zu inputs replayed\n", replayed);
    return replayed == 0 ? 1 : 0;
}
#endif
