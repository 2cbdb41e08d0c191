// The records as the player meets them: which game ranks above which, the replay and ranking
// files line by line, and a game recorded and played back reaching the same record every tick.
#include <gtest/gtest.h>

#include <regex>

#include "dealer.h"
#include "ranking.h"
#include "recording.h"
#include "rules_check.h"
#include "text_lines.h"
#include "verify.h"

static GameResult Result(std::uint32_t grade, std::uint32_t score, std::uint32_t frames) {
    return {grade, score, 100, frames};
}

static RankEntry Entry(std::uint32_t grade, std::uint32_t score, std::uint32_t frames,
                       std::string file) {
    return {Result(grade, score, frames), "2026-12-08T04:41:01Z", file};
}

// A replay's first lines as the program writes them, before its controls.
// clang-format off
static const std::string Header = "velmora replay 1\nseed 1733650000\ndealer glibc\ndate 2026-12-08T04:41:01Z\nresult grade S1 score 30500 level 312 frames 21876\ncontrols\n";
// clang-format on

// Of two games, the one ranking above does so whichever is asked about first.
TEST(Ranking, AGameRanksByGradeThenScoreThenFewerFrames) {
    // clang-format off
    const std::tuple<const char*, GameResult, GameResult, bool> rows[] = {
        {"a higher grade, though fewer points", Result(10, 100, 900), Result(9, 99999, 100), true}, {"the same grade, more points", Result(9, 22001, 900), Result(9, 22000, 100), true},
        {"the same grade and points, fewer frames", Result(9, 22000, 4999), Result(9, 22000, 5000), true}, {"all the same", Result(9, 22000, 5000), Result(9, 22000, 5000), false},
    };
    // clang-format on
    for (const auto& [name, a, b, above] : rows) {
        EXPECT_EQ(std::pair(RanksAbove(a, b), RanksAbove(b, a)), std::pair(above, false)) << name;
    }
}

TEST(Ranking, TenGamesAreKeptAndATieGoesBelowTheGameAlreadyRanked) {
    Ranking ten; // scores 1000, 900, ..., 100, all of grade 3
    for (int i = 0; i < 10; ++i) {
        ten.entries.push_back(Entry(3, 1000 - 100 * i, 5000, "r" + std::to_string(i)));
    }
    ten.lastReplay = "old"; // the game before, unranked
    const std::vector<std::string> tenthAndOld = {"r9", "old"}, old = {"old"};
    // clang-format off
    const std::tuple<const char*, RankEntry, int, std::vector<std::string>> rows[] = {
        {"the best", Entry(4, 0, 9000, "new"), 0, tenthAndOld}, {"between the second and third", Entry(3, 850, 5000, "new"), 2, tenthAndOld},
        {"tied with the fifth", Entry(3, 600, 5000, "new"), 5, tenthAndOld}, {"tied with the tenth", Entry(3, 100, 5000, "new"), -1, old},
        {"the tenth's score in fewer frames", Entry(3, 100, 4999, "new"), 9, tenthAndOld}, {"below the tenth", Entry(3, 99, 1, "new"), -1, old},
    };
    // clang-format on
    for (const auto& [name, entry, place, dropped] : rows) {
        Ranking after = ten;
        EXPECT_EQ(EnterRanking(after, entry), place) << name;
        after.lastReplay = "new";
        ASSERT_EQ(after.entries.size(), 10u) << name;
        if (place >= 0) {
            EXPECT_EQ(after.entries[place].replayFile, "new") << name;
        }
        // The game before goes with the tenth when that leaves the ranking.
        EXPECT_EQ(ReplaysDropped(ten, after), dropped) << name;
    }
    Ranking few{{}, "a"}, later{{}, "b"};
    EXPECT_EQ(EnterRanking(few, Entry(0, 0, 0, "a")) + EnterRanking(later, few.entries[0]), 0);
    EXPECT_EQ(EnterRanking(later, Entry(0, 0, 0, "b")), 1) << "below the tie";
    EXPECT_TRUE(ReplaysDropped(few, later).empty()) << "the last game before is ranked";
    EXPECT_TRUE(ReplaysDropped(ten, ten).empty() && ReplaysDropped({}, ten).empty()) << "unchanged";
    // Nine games and one more: ten are kept. Ten, the game before the tenth: it goes, once.
    // clang-format off
    Ranking nine{{ten.entries.begin(), ten.entries.end() - 1}, "old"}, last{ten.entries, "r9"}, after{ten.entries, "new"};
    const int places[] = {EnterRanking(nine, Entry(3, 99, 1, "new")), EnterRanking(after, Entry(4, 0, 9000, "new"))};
    EXPECT_EQ(std::tuple(places[0], places[1], nine.entries.size(), ReplaysDropped(last, after)), std::tuple(9, 0, 10ul, std::vector<std::string>{"r9"}));
    // clang-format on
}

TEST(Ranking, IsWrittenAsTextAndReadBackInOrder) {
    Ranking ranking;
    // The largest level, score and frames that a ranking holds.
    // clang-format off
    ranking.entries = {Entry(18, 126000, 40000, "replay-b.txt"), Entry(0, 4294967295, 4294967295, "replay-a.txt")};
    std::tie(ranking.lastReplay, ranking.entries[1].result.level) = std::pair("replay-c.txt", 999);
    const std::string text = "velmora ranking 1\ngame ZN 126000 100 40000 2026-12-08T04:41:01Z replay-b.txt\ngame 9 4294967295 999 4294967295 2026-12-08T04:41:01Z replay-a.txt\nlast replay-c.txt\n";
    // clang-format on
    EXPECT_EQ(WriteRanking(ranking), text);
    Ranking read;
    // Out of order, as a person may have edited it, and with Windows line ends.
    // clang-format off
    EXPECT_EQ(ReadRanking("velmora ranking 1\r\ngame 9 4294967295 999 4294967295 2026-12-08T04:41:01Z replay-a.txt\r\ngame ZN 126000 100 40000 2026-12-08T04:41:01Z replay-b.txt\nlast replay-c.txt", read), "");
    // clang-format on
    EXPECT_EQ(WriteRanking(read), text);
}

TEST(Ranking, ABrokenRankingIsRefusedNamingTheLine) {
    const std::string game = "game S1 30500 312 21876 2026-12-08T04:41:01Z replay-1.txt\n";
    // Eleven games, one for each of eleven dashes.
    // clang-format off
    const std::string eleven = "velmora ranking 1\n" + std::regex_replace(std::string(11, '-'), std::regex("-"), game);
    const std::string entryWanted = "expected \"game\", a grade, score, level, frames, a date and a replay's file name, or \"last\" and a file name";
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"empty", "", "line 1: not a Velmora ranking"}, {"a replay", Header + "end\n", "line 1: not a Velmora ranking"}, {"a heading with a word more", "velmora ranking 1 x\n", "line 1: not a Velmora ranking"}, {"another program's", "velvet ranking 1\n", "line 1: not a Velmora ranking"}, {"the last version there can be", "velmora ranking 4294967295\n", "line 1: ranking version 4294967295, which this program cannot read (it reads version 1)"},
        {"a later version", "velmora ranking 2\n", "line 1: ranking version 2, which this program cannot read (it reads version 1)"}, {"no such grade", "velmora ranking 1\ngame S0 1 1 1 2026-12-08T04:41:01Z r\n", "line 2: " + entryWanted},
        {"level 1000", "velmora ranking 1\ngame S1 1 1000 1 2026-12-08T04:41:01Z r\n", "line 2: " + entryWanted}, {"a score past 32 bits", "velmora ranking 1\ngame S1 4294967296 1 1 2026-12-08T04:41:01Z r\n", "line 2: " + entryWanted},
        {"a negative score", "velmora ranking 1\ngame S1 -1 1 1 2026-12-08T04:41:01Z r\n", "line 2: " + entryWanted}, {"last without a file", "velmora ranking 1\nlast\n", "line 2: " + entryWanted}, {"last with an empty name", "velmora ranking 1\nlast \n", "line 2: " + entryWanted}, {"last outside the folder", "velmora ranking 1\nlast ../r\n", "line 2: " + entryWanted}, {"a day without its time", "velmora ranking 1\ngame S1 1 1 1 2026-12-08 r\n", "line 2: " + entryWanted}, {"a replay outside the folder", "velmora ranking 1\ngame S1 1 1 1 2026-12-08T04:41:01Z ../r\n", "line 2: " + entryWanted},
        {"cut short", "velmora ranking 1\n" + game.substr(0, 30), "line 2: " + entryWanted}, {"eleven games", eleven, "line 12: more than ten games"},
        {"a game after the last", "velmora ranking 1\nlast r\n" + game, "line 3: text after the \"last\" line"}, {"not a game", "velmora ranking 1\ngone" + game.substr(4), "line 2: " + entryWanted},
    };
    // clang-format on
    for (const auto& [name, text, want] : rows) {
        Ranking read;
        read.lastReplay = "untouched";
        EXPECT_EQ(ReadRanking(text, read), want) << name;
        EXPECT_EQ(read.lastReplay, "untouched") << name;
    }
}

TEST(Replay, IsWrittenAsTextWithTheControlsAsRuns) {
    Replay replay{1733650000, "glibc", "2026-12-08T04:41:01Z", {9, 30500, 312, 21876}, {}};
    for (const InputBits controls : {0u, 0u, 0u, Down, Down, Down | RotateCcw, 0u}) {
        RecordControls(replay.runs, controls);
    }
    const std::string text = Header + "00 3\n04 2\n14 1\n00 1\nend\n";
    EXPECT_EQ(WriteReplay(replay), text);
    Replay read;
    EXPECT_TRUE(read.result == ResultOf(GameState())) << "none yet: that of a game not begun";
    ASSERT_EQ(ReadReplay(text, read), "");
    EXPECT_EQ(WriteReplay(read), text);
    EXPECT_EQ(GradeWord(18) + GradeWord(19), "ZN??") << "the last grade, and none past it";
}

TEST(Replay, AMalformedReplayIsRefusedNamingTheLine) {
    // clang-format off
    const std::string resultWanted = "line 5: expected \"result grade G score S level L frames F\" with a grade from 9 to 1, S1 to S9 or ZN and a level from 0 to 999";
    const std::string runWanted = "expected the controls held, in hexadecimal, and a number of ticks";
    // clang-format on
    auto replacing = [&](const std::string& from, const std::string& to) {
        std::string text = Header + "end\n";
        return text.replace(text.find(from), from.size(), to);
    };
    // clang-format off
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"empty", "", "line 1: not a Velmora replay"}, {"a ranking", "velmora ranking 1\n", "line 1: not a Velmora replay"},
        {"a later version", replacing("replay 1", "replay 2"), "line 1: replay version 2, which this program cannot read (it reads version 1)"}, {"no seed", replacing("seed 1733650000", "seed"), "line 2: expected \"seed\" and a number"},
        {"a seed past 32 bits", replacing("1733650000", "4294967296"), "line 2: expected \"seed\" and a number"}, {"a seed of eleven digits", replacing("1733650000", "01733650000"), "line 2: expected \"seed\" and a number"}, {"an empty seed", replacing("1733650000", ""), "line 2: expected \"seed\" and a number"}, {"a dealer with a space", replacing("glibc", "g libc"), "line 3: expected \"dealer\" and the name of a C library"},
        {"a date of another form", replacing("2026-12-08T04:41:01Z", "2026-12-08"), "line 4: expected \"date\" and a date such as 2026-12-08T04:41:01Z"}, {"a date with slashes", replacing("2026-12-08T", "2026/12/08T"), "line 4: expected \"date\" and a date such as 2026-12-08T04:41:01Z"},
        {"no such grade", replacing("grade S1", "grade S10"), resultWanted}, {"the grade of none", replacing("grade S1", "grade ??"), resultWanted}, {"a date from a letter", replacing("2026-12-08T", "x026-12-08T"), "line 4: expected \"date\" and a date such as 2026-12-08T04:41:01Z"}, {"level 1000", replacing("level 312", "level 1000"), resultWanted},
        {"level 999", replacing("level 312", "level 999"), ""}, {"no controls line", replacing("controls\n", ""), "line 6: expected \"controls\""},
        {"no count", Header + "04\nend\n", "line 7: " + runWanted}, {"a count that is no number", Header + "04 1x\nend\n", "line 7: " + runWanted}, {"a count with a slash", Header + "04 2/\nend\n", "line 7: " + runWanted}, {"no controls", Header + " 1\nend\n", "line 7: " + runWanted}, {"nine hexadecimal digits", Header + "000000004 1\nend\n", "line 7: " + runWanted}, {"eight", Header + "000000ff 1\nend\n", ""},
        {"controls that are no hexadecimal", Header + "00 5\n0g 1\nend\n", "line 8: " + runWanted}, {"the highest known control", Header + "ff 1\nend\n", ""},
        {"a control beyond the eight", Header + "100 1\nend\n", "line 7: controls beyond the eight known bits"}, {"a run of no ticks", Header + "04 0\nend\n", "line 7: a run of no ticks"},
        {"ten hours", Header + "00 2000000\n00 250000\nend\n", ""}, {"a tick past ten hours", Header + "00 2000000\n00 250001\nend\n", "line 8: the replay runs past 2250000 ticks (ten hours)"},
        {"past ten hours by far", Header + "00 4294967295\nend\n", "line 7: the replay runs past 2250000 ticks (ten hours)"}, {"cut short", Header + "04 3\n", "line 8: the replay ends before its \"end\" line"},
        {"text after the end", Header + "end\n04 1\n", "line 8: text after the \"end\" line"}, {"a seed by another name", replacing("seed ", "sown "), "line 2: expected \"seed\" and a number"}, {"cut after the seed", "velmora replay 1\nseed 1\n", "line 3: expected \"dealer\" and the name of a C library"},
        {"a dealer outside the folder", replacing("glibc", "../glibc"), "line 3: expected \"dealer\" and the name of a C library"}, {"a name of 64 letters", replacing("glibc", std::string(64, 'g')), ""},
        {"a name of 65", replacing("glibc", std::string(65, 'g')), "line 3: expected \"dealer\" and the name of a C library"}, {"a hidden name", replacing("glibc", ".glibc"), "line 3: expected \"dealer\" and the name of a C library"}, {"a name with a slash", replacing("glibc", "g/libc"), "line 3: expected \"dealer\" and the name of a C library"}, {"with an underscore", replacing("glibc", "g_libc"), ""}, {"an empty line", Header + "\nend\n", "line 7: " + runWanted}, {"a return without its line feed", Header + "end\r", "line 7: " + runWanted},
        {"result mistaken", replacing("result ", "x "), resultWanted}, {"grade mistaken", replacing("grade ", "x "), resultWanted}, {"score mistaken", replacing("score ", "x "), resultWanted},
        {"level mistaken", replacing("level ", "x "), resultWanted}, {"frames mistaken", replacing("frames ", "x "), resultWanted}, {"a result cut short", replacing(" frames 21876", ""), resultWanted}, {"a result with a word more", replacing("21876", "21876 x"), resultWanted},
    };
    // clang-format on
    for (const auto& [name, text, want] : rows) {
        Replay read;
        read.seed = 77;
        EXPECT_EQ(ReadReplay(text, read), want) << name;
        // clang-format off
        EXPECT_EQ(read.seed, want.empty() ? 1733650000u : 77u) << name << ": read whole or not at all";
        // clang-format on
    }
}

// Every game recorded as the timer thread records it, written, read back and played back,
// reaches the same record at every tick as the game played.
TEST(Replay, EverySeededGameRecordedAndPlayedBackReachesTheSameRecordEveryTick) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Player player{std::mt19937(seed)};
        Replay replay{seed, DealingLibrary, "2026-12-08T04:41:01Z", {}, {}};
        std::vector<GameState> played;
        GameState game = GameState::newGame(seed);
        while (game.phase != GAMEOVER) {
            const InputBits controls = player.next() & KnownControls;
            RecordControls(replay.runs, controls);
            played.push_back(game.tick(controls));
        }
        replay.result = ResultOf(game);
        Replay read;
        ASSERT_EQ(ReadReplay(WriteReplay(replay), read), "") << seed;
        GameState again = GameState::newGame(read.seed);
        ReplayCursor cursor;
        std::size_t tick = 0;
        for (InputBits controls = 0; NextControls(read.runs, cursor, controls); ++tick) {
            ASSERT_LT(tick, played.size()) << "seed " << seed;
            ASSERT_EQ(again.tick(controls), played[tick]) << "seed " << seed << ", tick " << tick;
        }
        EXPECT_EQ(tick, played.size()) << "seed " << seed;
        EXPECT_EQ(PlayThrough(read), game) << "seed " << seed;
    }
}

TEST(Replay, VerifyingPlaysTheGameAndHoldsItsResultAgainstTheFile) {
    Replay replay{5, DealingLibrary, "2026-12-08T04:41:01Z", {}, {}};
    GameState game = GameState::newGame(5);
    while (game.phase != GAMEOVER) {
        RecordControls(replay.runs, Down);
        game.tick(Down);
    }
    replay.result = ResultOf(game);
    // clang-format off
    const std::string stated = "grade 9, " + std::to_string(game.score) + " points, level " + std::to_string(game.level) + ", " + std::to_string(game.frameCount) + " frames";
    // clang-format on
    ASSERT_EQ(game.grade, 0u) << "a game of soft drops alone scores too little for a grade";
    const auto changed = [&](auto change) {
        Replay r = replay;
        return change(r), WriteReplay(r);
    };
    // clang-format off
    const std::tuple<const char*, std::string, int, std::string> rows[] = {
        {"as played", WriteReplay(replay), 0, "g: matches: " + stated},
        {"a point more stated", changed([](Replay& r) { ++r.result.score; }), 1, "g: does not match: the game ends at "},
        {"a tick short", changed([](Replay& r) { --r.runs.back().ticks; }), 1, "g: does not match: the game has not ended"},
        {"dealt elsewhere", changed([](Replay& r) { r.dealer = "other"; }), 2, std::string("g: dealt by other's rand, and this program deals with ") + DealingLibrary},
        {"no replay", "", 2, "g: not a replay: line 1: not a Velmora replay"},
    };
    // clang-format on
    for (const auto& [name, text, status, line] : rows) {
        const Verdict verdict = VerifyReplayText("g", text);
        EXPECT_EQ(int(verdict.status), status) << name; // the program's exit status
        EXPECT_EQ(verdict.line.substr(0, line.size()), line) << name;
        EXPECT_EQ(verdict.line.find('\n'), std::string::npos) << name << ": one line";
    }
}
