// A replay: everything needed to play a game again exactly, which is its seed, the C library
// that dealt it and the controls of every tick, with the result it reached. Written and read as
// versioned text that a person can read:
//
//   velmora replay 1
//   seed 1733650000
//   dealer glibc
//   date 2026-12-08T04:41:01Z
//   result grade 9 score 12345 level 234 frames 5678
//   controls
//   00 170        <- the controls held (hexadecimal InputBits) and for how many ticks
//   04 31
//   end
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game_state.h"

constexpr std::uint32_t ReplayVersion = 1;
// The controls that a replay may hold: the eight named bits.
constexpr InputBits KnownControls = 0xFF;
// Ten hours of ticks: no game lasts that long, and a replay that claims to cannot make the
// program play for hours.
constexpr std::uint32_t MaxReplayTicks = 2'250'000;

struct ControlRun {
    InputBits controls = 0;
    std::uint32_t ticks = 0;
};

struct GameResult {
    std::uint32_t grade = 0;
    std::uint32_t score = 0;
    std::uint32_t level = 0;
    std::uint32_t frames = 0;
};
bool operator==(const GameResult& a, const GameResult& b);

// The result shown for a game record: its grade, score, level and frame count.
GameResult ResultOf(const GameState& game);

struct Replay {
    unsigned int seed = 0;
    std::string dealer;
    std::string date;
    GameResult result;
    std::vector<ControlRun> runs;
};

std::string WriteReplay(const Replay& replay);

// Reads a replay's text into `into`; answers an empty text when it is whole, else what is wrong
// and on which line. The text's own size bounds what it can make the reader allocate.
std::string ReadReplay(const std::string& text, Replay& into);
