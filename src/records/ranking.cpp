#include "ranking.h"

#include <algorithm>
#include <tuple>

#include "text_lines.h"

namespace {
constexpr std::uint32_t HighestLevel = 999;
constexpr std::uint32_t Unlimited = 0xFFFFFFFF;

bool ReadEntry(const std::vector<std::string_view>& w, RankEntry& entry) {
    GameResult& r = entry.result;
    if (w.size() != 7 || w[0] != "game" || !ReadGrade(w[1], r.grade) ||
        !ReadNumber(w[2], Unlimited, r.score) || !ReadNumber(w[3], HighestLevel, r.level) ||
        !ReadNumber(w[4], Unlimited, r.frames) || !IsDate(w[5]) || !IsPlainFileName(w[6])) {
        return false;
    }
    entry.date = w[5];
    entry.replayFile = w[6];
    return true;
}

bool Keeps(const Ranking& ranking, const std::string& file) {
    return file == ranking.lastReplay ||
           std::any_of(ranking.entries.begin(), ranking.entries.end(),
                       [&](const RankEntry& e) { return e.replayFile == file; });
}
} // namespace

bool RanksAbove(const GameResult& a, const GameResult& b) {
    return std::make_tuple(a.grade, a.score, b.frames) >
           std::make_tuple(b.grade, b.score, a.frames);
}

int EnterRanking(Ranking& ranking, const RankEntry& entry) {
    auto& entries = ranking.entries;
    const auto place = std::find_if(entries.begin(), entries.end(), [&](const RankEntry& e) {
        return RanksAbove(entry.result, e.result);
    });
    const auto index = place - entries.begin();
    if (index >= static_cast<std::ptrdiff_t>(RankingSize)) {
        return -1;
    }
    entries.insert(place, entry);
    if (entries.size() > RankingSize) {
        entries.pop_back();
    }
    return static_cast<int>(index);
}

std::vector<std::string> ReplaysDropped(const Ranking& before, const Ranking& after) {
    std::vector<std::string> dropped;
    auto drop = [&](const std::string& file) {
        if (!file.empty() && !Keeps(after, file) &&
            std::find(dropped.begin(), dropped.end(), file) == dropped.end()) {
            dropped.push_back(file);
        }
    };
    for (const RankEntry& e : before.entries) {
        drop(e.replayFile);
    }
    drop(before.lastReplay);
    return dropped;
}

std::string WriteRanking(const Ranking& ranking) {
    std::string text = "velmora ranking " + std::to_string(RankingVersion) + "\n";
    for (const RankEntry& e : ranking.entries) {
        const GameResult& r = e.result;
        text += "game " + GradeWord(r.grade) + " " + std::to_string(r.score) + " " +
                std::to_string(r.level) + " " + std::to_string(r.frames) + " " + e.date + " " +
                e.replayFile + "\n";
    }
    if (!ranking.lastReplay.empty()) {
        text += "last " + ranking.lastReplay + "\n";
    }
    return text;
}

std::string ReadRanking(const std::string& text, Ranking& into) {
    const std::vector<std::string_view> lines = SplitLines(text);
    if (const std::string wrong = CheckHeading(lines, "ranking", RankingVersion); !wrong.empty()) {
        return wrong;
    }
    Ranking ranking;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string_view> words = SplitWords(lines[i]);
        if (!ranking.lastReplay.empty()) {
            return OnLine(i, "text after the \"last\" line");
        }
        if (words.size() == 2 && words[0] == "last" && IsPlainFileName(words[1])) {
            ranking.lastReplay = words[1];
            continue;
        }
        RankEntry entry;
        if (!ReadEntry(words, entry)) {
            return OnLine(i, "expected \"game\", a grade, score, level, frames, a date and a "
                             "replay's file name, or \"last\" and a file name");
        }
        if (ranking.entries.size() == RankingSize) {
            return OnLine(i, "more than ten games");
        }
        ranking.entries.push_back(entry);
    }
    std::stable_sort(
        ranking.entries.begin(), ranking.entries.end(),
        [](const RankEntry& a, const RankEntry& b) { return RanksAbove(a.result, b.result); });
    into = std::move(ranking);
    return "";
}
