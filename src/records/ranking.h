// The ranking of the best games: ten at most, by grade (higher first), then score (higher),
// then frames (fewer); a game that ties one already ranked goes below it. Kept as text:
//
//   velmora ranking 1
//   game S1 30500 312 21876 2026-12-08T04:41:01Z replay-20261208-044101-6555c8f1.txt
//   last replay-20261208-050212-0a1b2c3d.txt      <- the game played last, ranked or not
#pragma once

#include <string>
#include <vector>

#include "replay.h"

constexpr std::uint32_t RankingVersion = 1;
constexpr std::size_t RankingSize = 10;

struct RankEntry {
    GameResult result;
    std::string date;
    std::string replayFile; // a plain file name in the data folder
};

struct Ranking {
    std::vector<RankEntry> entries; // best first
    std::string lastReplay;         // empty before the first game
};

// Whether a game ranks above another: a higher grade, else a higher score, else fewer frames.
bool RanksAbove(const GameResult& a, const GameResult& b);

// Puts the game in its place; answers the place (0 the best), or -1 when it does not make the
// ten, in which case the ranking is unchanged.
int EnterRanking(Ranking& ranking, const RankEntry& entry);

// The replays that `before` keeps (its entries' and its last game's) and `after` no longer does.
std::vector<std::string> ReplaysDropped(const Ranking& before, const Ranking& after);

std::string WriteRanking(const Ranking& ranking);

// Reads a ranking's text into `into`; answers an empty text when it is whole, else what is wrong
// and on which line. Entries out of order are put in order.
std::string ReadRanking(const std::string& text, Ranking& into);
