#include "replay.h"

#include <cstdio>
#include <tuple>

#include "text_lines.h"

namespace {
constexpr std::uint32_t HighestLevel = 999;
constexpr std::uint32_t Unlimited = 0xFFFFFFFF;

// A header line of the fixed form "key value".
bool KeyAndWord(std::string_view line, std::string_view key, std::string_view& word) {
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.size() != 2 || words[0] != key) {
        return false;
    }
    word = words[1];
    return true;
}

bool ReadResult(std::string_view line, GameResult& result) {
    const std::vector<std::string_view> w = SplitWords(line);
    return w.size() == 9 && w[0] == "result" && w[1] == "grade" && w[3] == "score" &&
           w[5] == "level" && w[7] == "frames" && ReadGrade(w[2], result.grade) &&
           ReadNumber(w[4], Unlimited, result.score) &&
           ReadNumber(w[6], HighestLevel, result.level) &&
           ReadNumber(w[8], Unlimited, result.frames);
}
} // namespace

bool operator==(const GameResult& a, const GameResult& b) {
    return std::tie(a.grade, a.score, a.level, a.frames) ==
           std::tie(b.grade, b.score, b.level, b.frames);
}

GameResult ResultOf(const GameState& game) {
    return {game.grade, game.score, game.level, game.frameCount};
}

std::string WriteReplay(const Replay& replay) {
    const GameResult& r = replay.result;
    std::string text = "velmora replay " + std::to_string(ReplayVersion) + "\nseed " +
                       std::to_string(replay.seed) + "\ndealer " + replay.dealer + "\ndate " +
                       replay.date + "\nresult grade " + GradeWord(r.grade) + " score " +
                       std::to_string(r.score) + " level " + std::to_string(r.level) + " frames " +
                       std::to_string(r.frames) + "\ncontrols\n";
    char line[32];
    for (const ControlRun& run : replay.runs) {
        std::snprintf(line, sizeof line, "%02x %u\n", run.controls, run.ticks);
        text += line;
    }
    return text + "end\n";
}

std::string ReadReplay(const std::string& text, Replay& into) {
    const std::vector<std::string_view> lines = SplitLines(text);
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string_view(); };
    Replay replay;
    if (const std::string wrong = CheckHeading(lines, "replay", ReplayVersion); !wrong.empty()) {
        return wrong;
    }
    std::string_view word;
    if (!KeyAndWord(line(1), "seed", word) || !ReadNumber(word, Unlimited, replay.seed)) {
        return OnLine(1, "expected \"seed\" and a number");
    }
    if (!KeyAndWord(line(2), "dealer", word) || !IsPlainFileName(word)) {
        return OnLine(2, "expected \"dealer\" and the name of a C library");
    }
    replay.dealer = word;
    if (!KeyAndWord(line(3), "date", word) || !IsDate(word)) {
        return OnLine(3, "expected \"date\" and a date such as 2026-12-08T04:41:01Z");
    }
    replay.date = word;
    if (!ReadResult(line(4), replay.result)) {
        return OnLine(4, "expected \"result grade G score S level L frames F\" with a grade "
                         "from 9 to 1, S1 to S9 or ZN and a level from 0 to 999");
    }
    if (line(5) != "controls") {
        return OnLine(5, "expected \"controls\"");
    }
    std::uint32_t ticks = 0;
    std::size_t i = 6;
    for (; i < lines.size() && lines[i] != "end"; ++i) {
        const std::vector<std::string_view> words = SplitWords(lines[i]);
        ControlRun run;
        if (words.size() != 2 || !ReadHex(words[0], run.controls) ||
            !ReadNumber(words[1], Unlimited, run.ticks)) {
            return OnLine(i, "expected the controls held, in hexadecimal, and a number of ticks");
        }
        if ((run.controls & ~KnownControls) != 0) {
            return OnLine(i, "controls beyond the eight known bits");
        }
        if (run.ticks == 0) {
            return OnLine(i, "a run of no ticks");
        }
        if (run.ticks > MaxReplayTicks - ticks) {
            return OnLine(i, "the replay runs past " + std::to_string(MaxReplayTicks) +
                                 " ticks (ten hours)");
        }
        ticks += run.ticks;
        replay.runs.push_back(run);
    }
    if (i >= lines.size()) {
        return OnLine(i, "the replay ends before its \"end\" line");
    }
    if (i + 1 < lines.size()) {
        return OnLine(i + 1, "text after the \"end\" line");
    }
    into = std::move(replay);
    return "";
}
