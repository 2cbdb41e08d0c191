// How long a player waits for the game: from the start of the process to the first picture
// on the screen that shows a game frame, that is one drawn from the first published snapshot
// (until then every presented picture is black). Measured from outside, in an X server of the
// bench's own: the program is started, its window found by its title and its presented
// picture read back until any pixel is lit. Also the time until the window is mapped at all.
// Each iteration starts one process and stops it with SIGTERM afterwards. The polling shares
// the two cores and the X server with the program, so it pauses between looks: the figures are
// upper bounds, by up to that pause.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <thread>

#include "child_process.h"
#include "x_server.h"

namespace {
constexpr std::chrono::seconds StartDeadline{30};
constexpr std::chrono::milliseconds PauseBetweenLooks{2};

const std::string ProgramPath = VELMORA_PROGRAM;
const std::string ProgramFolder = ProgramPath.substr(0, ProgramPath.rfind('/'));

enum class Milestone { WindowMapped, FirstGameFrame };

bool Reached(XServer& x, WindowId window, Milestone milestone) {
    if (milestone == Milestone::WindowMapped) {
        return x.isMapped(window);
    }
    const Picture picture = x.takePicture(window);
    return std::any_of(picture.rgb.begin(), picture.rgb.end(), [](auto value) { return value; });
}

void MeasureStartUntil(benchmark::State& state, Milestone milestone) {
    XServer x;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        ChildProcess program({ProgramPath}, {ProgramFolder, {"DISPLAY=" + x.name()}, "", ""});
        WindowId window = NoWindow;
        bool reached = false;
        while (!reached && std::chrono::steady_clock::now() - start < StartDeadline &&
               program.running()) {
            window = window != NoWindow ? window : x.findWindow("Velmora");
            reached = window != NoWindow && Reached(x, window, milestone);
            if (!reached) {
                std::this_thread::sleep_for(PauseBetweenLooks);
            }
        }
        const auto end = std::chrono::steady_clock::now();

        program.signal(SIGTERM);
        const bool clean = program.waitForExit(std::chrono::seconds(10)) == 0;
        if (!reached || !clean) {
            state.SkipWithError(reached ? "the program did not end cleanly"
                                        : "the program showed nothing");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void BM_StartToWindowMapped(benchmark::State& state) {
    MeasureStartUntil(state, Milestone::WindowMapped);
}
void BM_StartToFirstGameFrame(benchmark::State& state) {
    MeasureStartUntil(state, Milestone::FirstGameFrame);
}
} // namespace

BENCHMARK(BM_StartToWindowMapped)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartToFirstGameFrame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
