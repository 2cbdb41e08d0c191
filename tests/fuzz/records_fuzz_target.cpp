// Fuzz target for the readers of the files that the program keeps: any bytes, read as a replay
// and as a ranking, must be refused with a message or read whole; what is read whole is written
// back as the same records, and a short replay plays through. Built without libFuzzer, with
// corpus_main.cpp, it replays the saved corpus in make test.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "ranking.h"
#include "recording.h"

namespace {
// Replays longer than this are read but not played, to keep each input quick.
constexpr std::uint32_t PlayedTicks = 20000;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Replay replay;
    const std::string replayWrong = ReadReplay(text, replay);
    // clang-format off
    Check(replayWrong.rfind("line ", 0) == 0 || replayWrong.empty(), "a replay's message names a line");
    // clang-format on
    if (replayWrong.empty()) {
        Replay again;
        Check(ReadReplay(WriteReplay(replay), again).empty(), "a replay written is read");
        Check(WriteReplay(again) == WriteReplay(replay), "a replay reads back the same");
        std::uint64_t ticks = 0;
        for (const ControlRun& run : replay.runs) {
            Check(run.ticks > 0 && (run.controls & ~KnownControls) == 0, "runs are known controls");
            ticks += run.ticks;
        }
        Check(ticks <= MaxReplayTicks, "a replay stays within ten hours");
        if (ticks <= PlayedTicks) {
            PlayThrough(replay);
        }
    }
    Ranking ranking;
    const std::string rankingWrong = ReadRanking(text, ranking);
    // clang-format off
    Check(rankingWrong.rfind("line ", 0) == 0 || rankingWrong.empty(), "a ranking's message names a line");
    if (rankingWrong.empty()) {
        Check(ranking.entries.size() <= RankingSize, "ten games at most");
        Ranking again;
        Check(ReadRanking(WriteRanking(ranking), again).empty() && WriteRanking(again) == WriteRanking(ranking), "a ranking written reads back the same");
        for (std::size_t i = 1; i < ranking.entries.size(); ++i) {
            Check(!RanksAbove(ranking.entries[i].result, ranking.entries[i - 1].result), "a ranking is read in order");
        }
    }
    // clang-format on
    return 0;
}
