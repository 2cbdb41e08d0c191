// How long a player waits for the game: from the start of the process to the first picture
// on the screen that shows a game frame, that is one drawn from the first published snapshot
// (until then every presented picture is black). Measured from outside, on an X server of the
// bench's own (scripts/run-benchmarks.sh runs it through tests/private-x.sh): the program is
// started, its window found when it is mapped and its presented picture read back through shared
// memory until the text display's "NEXT" shows. Also the time until the window is mapped at all.
// Each iteration starts one process and closes its window afterwards. The first game frame is
// timed with an empty data folder and again with a full ranking of ten games to read. The polling
// shares the two cores and the X server with the program, so it pauses between looks: the figures
// are upper bounds, by up to that pause.
#include <benchmark/benchmark.h>

#include <fstream>
#include <optional>
#include <thread>

#include "observe.h"

namespace {
constexpr auto StartDeadline = 30s;
constexpr auto PauseBetweenLooks = 2ms;

enum class Milestone { WindowMapped, FirstGameFrame };

void MeasureStartUntil(benchmark::State& state, Milestone milestone) {
    for (auto _ : state) {
        const auto start = BenchClock::now();
        XPlay game(VELMORA_PROGRAM, VELMORA_FOLDER);
        while (game.window == 0 && BenchClock::now() - start < StartDeadline &&
               !game.ended(PauseBetweenLooks)) {
            game.picture(); // notices the window being mapped
        }
        bool reached = game.window != 0 && milestone == Milestone::WindowMapped;
        std::unique_ptr<WindowRegion> region;
        if (game.window != 0 && !reached) {
            region = std::make_unique<WindowRegion>(game.x, game.window);
        }
        while (region && !reached && BenchClock::now() - start < StartDeadline) {
            reached = region->grab() && ReadText(region->picture(), -6, 13, 4) == "NEXT";
            if (!reached) {
                std::this_thread::sleep_for(PauseBetweenLooks);
            }
        }
        const auto end = BenchClock::now();

        region.reset();
        game.close();
        const bool clean = game.ended(10s) == 0;
        if (!reached || !clean) {
            state.SkipWithError(reached ? "the program did not end cleanly"
                                        : "the program showed nothing");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

// A data folder of the bench's own with a ranking of ten games, for as long as it lives.
class FullRanking {
  public:
    FullRanking() : before_(std::getenv("VELMORA_DATA_DIR")) {
        std::string text = "velmora ranking 1\n";
        for (int i = 0; i < 10; ++i) {
            text += "game S" + std::to_string(9 - i) + " " + std::to_string(126000 - i * 1000) +
                    " 999 37500 2026-12-08T04:41:01Z replay-20261208-044101-0000000" +
                    std::to_string(i) + ".txt\n";
        }
        std::ofstream(folder_.file("ranking.txt")) << text << "last replay-x.txt\n";
        setenv("VELMORA_DATA_DIR", folder_.file("").c_str(), 1);
    }
    ~FullRanking() {
        if (before_.has_value()) {
            setenv("VELMORA_DATA_DIR", before_->c_str(), 1);
        } else {
            unsetenv("VELMORA_DATA_DIR");
        }
    }

  private:
    TemporaryFolder folder_;
    std::optional<std::string> before_;
};

void BM_StartToWindowMapped(benchmark::State& state) {
    MeasureStartUntil(state, Milestone::WindowMapped);
}
void BM_StartToFirstGameFrame(benchmark::State& state) {
    MeasureStartUntil(state, Milestone::FirstGameFrame);
}
void BM_StartToFirstGameFrameFullRanking(benchmark::State& state) {
    const FullRanking ranking;
    MeasureStartUntil(state, Milestone::FirstGameFrame);
}
} // namespace

BENCHMARK(BM_StartToWindowMapped)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFirstGameFrame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK(BM_StartToFirstGameFrameFullRanking)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
