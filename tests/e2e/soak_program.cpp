// Long runs of the real program at play, too long for the test suite: `make soak-program` plays
// for ten minutes and watches the program's resident memory, `make tsan-program` plays a
// minute with the program built under ThreadSanitizer. VELMORA_SOAK_SECONDS sets the length of
// play and VELMORA_SOAK_WARMUP_SECONDS the time after which memory must hold still.
//
// The player places every piece where it fills rows. In the ten minutes it lets each fall at the
// game's own speed, pressing keys that change nothing meanwhile, so that the level climbs slowly
// and the game lasts; in the minute under ThreadSanitizer it drops each with S, so that the
// game passes through locks, line clears and entry delays many times.
#include "robustness_play.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::seconds SecondsFromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return std::chrono::seconds(text != nullptr ? std::atol(text) : fallback);
}

long ResidentKilobytes(pid_t process) {
    const std::string status = ReadWholeFile("/proc/" + std::to_string(process) + "/status");
    const std::size_t at = status.find("\nVmRSS:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 7);
}

struct PlaySummary {
    int pieces = 0;
    int piecesOffTarget = 0;
    std::string lastPhase;
    std::string level;
    std::string points;
};

// Keys whose presses the game does not act on: W and the space bar set bits no rule reads.
const char* const IdleKeys[] = {"w", "space", "Escape", "Return", "Left", "Up", "q"};

// Taps keys that change nothing until the piece has locked (or the time is up); the reading
// that showed it locked.
std::optional<ScreenReading> KeepTappingUntilLocked(GameSession& game, Clock::time_point end,
                                                    std::size_t& idleKey) {
    while (Clock::now() < end) {
        game.tap(IdleKeys[idleKey++ % std::size(IdleKeys)], 40ms);
        const auto locked = game.waitFor(
            [](const ScreenReading& r) { return ShowsGame(r) && r.phase != "ACTIVE"; }, 200ms);
        if (locked) {
            return locked;
        }
    }
    return std::nullopt;
}

// Holds S until the piece has locked; the reading that showed it locked.
std::optional<ScreenReading> DropUntilLocked(GameSession& game) {
    game.press("s");
    const auto locked = game.waitFor(
        [](const ScreenReading& r) { return ShowsGame(r) && r.phase != "ACTIVE"; }, 5s);
    game.release("s");
    return locked;
}

enum class Fall { AtGameSpeed, SoftDropped };

PlaySummary PlayFor(GameSession& game, std::chrono::seconds time, Fall fall) {
    PlaySummary summary;
    const auto end = Clock::now() + time;
    CellSet settled;
    std::size_t idleKey = 0;
    std::string trouble;
    while (Clock::now() < end && game.process().running()) {
        const auto piece = WaitForNextPiece(game, settled, 5s);
        if (!piece) {
            const ScreenReading now = game.read();
            if (now.phase == "GAMEOVER") {
                game.tap(IdleKeys[idleKey++ % std::size(IdleKeys)], 40ms);
                continue;
            }
            // The well no longer shows what the player thinks settled: read it afresh in the
            // next entry delay.
            if (const auto delay = game.waitFor(
                    [](const ScreenReading& r) { return ShowsGame(r) && r.phase == "ARE"; }, 30s)) {
                settled = FilledCells(*delay);
            }
            continue;
        }
        summary.pieces += 1;
        const Target target = BestTarget(settled, piece->kind);
        if (!SteerTo(game, settled, piece->kind, target, trouble)) {
            summary.piecesOffTarget += 1;
        }
        const auto locked = fall == Fall::SoftDropped ? DropUntilLocked(game)
                                                      : KeepTappingUntilLocked(game, end, idleKey);
        if (!locked) {
            break;
        }
        if (const auto delay = game.waitFor(
                [](const ScreenReading& r) { return ShowsGame(r) && r.phase == "ARE"; }, 3s)) {
            settled = FilledCells(*delay);
        }
    }
    const ScreenReading last = game.read();
    summary.lastPhase = last.phase;
    summary.level = last.level;
    summary.points = last.points;
    return summary;
}

// Reads the program's resident memory every few seconds while it lives.
class MemoryWatch {
  public:
    explicit MemoryWatch(pid_t process)
        : start_(Clock::now()), thread_([this, process] {
              while (!stop_) {
                  const long kilobytes = ResidentKilobytes(process);
                  if (kilobytes >= 0) {
                      std::lock_guard<std::mutex> guard(lock_);
                      samples_.push_back({Clock::now() - start_, kilobytes});
                  }
                  for (int i = 0; i < 50 && !stop_; ++i) {
                      std::this_thread::sleep_for(100ms);
                  }
              }
          }) {}
    ~MemoryWatch() {
        stop_ = true;
        thread_.join();
    }
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;

    struct Sample {
        Clock::duration when;
        long kilobytes;
    };
    std::vector<Sample> samples() {
        std::lock_guard<std::mutex> guard(lock_);
        return samples_;
    }

  private:
    const Clock::time_point start_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<Sample> samples_;
    std::thread thread_;
};

void Report(const PlaySummary& summary) {
    std::cout << summary.pieces << " pieces, " << summary.piecesOffTarget
              << " off target; last phase " << summary.lastPhase << ", level " << summary.level
              << ", points " << summary.points << "\n";
}

TEST(Soak, ResidentMemoryGrowsLessThan1MBAfterTheFirstMinuteOfPlay) {
    const auto playTime = SecondsFromEnvironment("VELMORA_SOAK_SECONDS", 600);
    const auto warmUp = SecondsFromEnvironment("VELMORA_SOAK_WARMUP_SECONDS", 60);
    ASSERT_LT(warmUp, playTime);
    GameSession game;
    MemoryWatch watch(game.process().pid());
    const PlaySummary summary = PlayFor(game, playTime, Fall::AtGameSpeed);
    ASSERT_TRUE(game.process().running());
    const auto samples = watch.samples();
    game.x().requestClose(game.window());
    EXPECT_EQ(game.process().waitForExit(5s), 0);
    Report(summary);
    EXPECT_GT(summary.pieces, 0);

    // Growth is what is still there at the end: the highest reading over the last stretch of
    // play against the first after the warm-up. A passing peak in between, which the allocator
    // or the GL's caches give back, is reported but is not growth.
    const auto lastStretch = std::min<Clock::duration>(60s, (playTime - warmUp) / 2);
    const Clock::duration end = samples.empty() ? Clock::duration{} : samples.back().when;
    std::optional<long> atWarmUp;
    long peak = 0;
    long highestAtTheEnd = 0;
    std::ostringstream series;
    for (const auto& sample : samples) {
        series << " " << sample.kilobytes;
        if (!atWarmUp && sample.when >= warmUp) {
            atWarmUp = sample.kilobytes;
        }
        if (atWarmUp) {
            peak = std::max(peak, sample.kilobytes);
        }
        if (end - sample.when <= lastStretch) {
            highestAtTheEnd = std::max(highestAtTheEnd, sample.kilobytes);
        }
    }
    ASSERT_TRUE(atWarmUp) << "no reading after the warm-up";
    std::cout << "VmRSS every 5 s, kB:" << series.str() << "\n"
              << "VmRSS " << *atWarmUp << " kB after " << warmUp.count() << " s, peak " << peak
              << " kB, at most " << highestAtTheEnd << " kB in the last "
              << std::chrono::duration_cast<std::chrono::seconds>(lastStretch).count() << " s\n";
    EXPECT_LT(highestAtTheEnd - *atWarmUp, 1024) << "kB of growth after the warm-up";
}

// ThreadSanitizer writes its reports on the program's standard error and makes the program end
// with status 66 when it has reported anything.
TEST(Soak, PlayUnderThreadSanitizerReportsNoRace) {
    ASSERT_NE(ReadWholeFile(ProgramFolder() + "/velmora").find("__tsan_init"), std::string::npos)
        << "the program was not built with ThreadSanitizer (VELMORA_SANITIZE=thread)";
    const auto playTime = SecondsFromEnvironment("VELMORA_SOAK_SECONDS", 60);
    GameSession game;
    const PlaySummary summary = PlayFor(game, playTime, Fall::SoftDropped);
    Report(summary);
    EXPECT_GT(summary.pieces, 0);
    game.x().requestClose(game.window());
    EXPECT_EQ(game.process().waitForExit(20s), 0);
    const std::string errors = game.standardError();
    EXPECT_EQ(errors.find("ThreadSanitizer"), std::string::npos) << errors;
}

} // namespace
