// What --verify costs for a game of ten minutes (37,500 ticks and then some): the replay's text
// read and played through in the process, and the real program started on its file. The game is
// played by a simple player that lets each piece fall by itself to the place where it leaves the
// fewest holes and the lowest stack, then soft-drops to the end once ten minutes have passed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "dealer.h"
#include "recording.h"
#include "verify.h"

namespace {
constexpr std::uint32_t TenMinutes = 37500;

struct Placement {
    std::uint32_t rotation = 0;
    std::int32_t column = 0;
};

// Lower is better: holes under the stack weigh most, then its height and its roughness.
int Badness(const Board& board) {
    int holes = 0, height = 0, roughness = 0, lastTop = -1;
    for (int column = 0; column < BoardColumns; ++column) {
        int top = BoardRows;
        for (int row = BoardRows - 1; row >= 0; --row) {
            if (board[cellIndex(column, row)] != NoPiece) {
                top = row;
            }
        }
        for (int row = top + 1; row < BoardRows; ++row) {
            holes += board[cellIndex(column, row)] == NoPiece;
        }
        height += BoardRows - top;
        roughness += lastTop < 0 ? 0 : std::abs(top - lastTop);
        lastTop = top;
    }
    int full = 0;
    for (int row = 0; row < BoardRows; ++row) {
        int filled = 0;
        for (int column = 0; column < BoardColumns; ++column) {
            filled += board[cellIndex(column, row)] != NoPiece;
        }
        full += filled == BoardColumns;
    }
    return holes * 8 + height + roughness - full * 10;
}

// Tried on a copy with collides() alone, which draws no piece: the rand sequence stays the game's.
Placement BestPlacement(const GameState& game) {
    Placement best;
    int bestBadness = 1 << 30;
    for (std::uint32_t rotation = 0; rotation < 4; ++rotation) {
        for (std::int32_t column = -2; column < BoardColumns; ++column) {
            GameState trial = game;
            trial.pieceRotation = rotation;
            trial.pieceColumn = column;
            if (trial.collides()) {
                continue;
            }
            while (!trial.collides()) {
                ++trial.pieceRow;
            }
            --trial.pieceRow;
            const auto& shape = pieceShape(trial.activeKind, rotation);
            for (int i = 0; i < 4; ++i) {
                trial.board[cellIndex(column + shape[i], trial.pieceRow + shape[i + 4])] =
                    trial.activeKind;
            }
            const int badness = Badness(trial.board);
            if (badness < bestBadness) {
                bestBadness = badness;
                best = {rotation, column};
            }
        }
    }
    return best;
}

Replay TenMinuteGame() {
    Replay replay{1, DealingLibrary, "2026-12-08T04:41:01Z", {}, {}};
    GameState game = GameState::newGame(replay.seed);
    Placement target;
    std::uint32_t ticks = 0;
    for (InputBits controls = 0; game.phase != GAMEOVER; ++ticks) {
        if (game.phase == ACTIVE && game.prevPhase != ACTIVE) {
            target = BestPlacement(game);
        }
        // Turns and shifts need new presses: a control is let go every other tick.
        InputBits wanted = 0;
        if (ticks >= TenMinutes) {
            wanted = Down;
        } else if (game.phase == ACTIVE && game.pieceRotation % 4 != target.rotation) {
            wanted = RotateCcw;
        } else if (game.phase == ACTIVE && game.pieceColumn != target.column) {
            wanted = game.pieceColumn < target.column ? Right : Left;
        }
        controls = wanted == Down ? Down : (controls & wanted) ? 0 : wanted;
        RecordControls(replay.runs, controls);
        game.tick(controls);
    }
    replay.result = ResultOf(game);
    return replay;
}

const Replay& Game() {
    static const Replay game = TenMinuteGame();
    return game;
}

void VerifyInProcess(benchmark::State& state) {
    const std::string text = WriteReplay(Game());
    for (auto _ : state) {
        const Verdict verdict = VerifyReplayText("ten minutes", text);
        if (verdict.status != ResultMatches) {
            state.SkipWithError(verdict.line.c_str());
            break;
        }
    }
    std::uint64_t ticks = 0;
    for (const ControlRun& run : Game().runs) {
        ticks += run.ticks;
    }
    state.SetLabel(std::to_string(ticks) + " ticks, " + std::to_string(Game().result.frames) +
                   " frames");
}

#ifdef VELMORA_PROGRAM
// The whole command, from the process's start to its end, as a player runs it.
void VerifyTheProgram(benchmark::State& state) {
    const std::string file = "/tmp/velmora-bench-replay-" + std::to_string(getpid()) + ".txt";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    const std::string text = WriteReplay(Game());
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    const std::string command = VELMORA_PROGRAM " --verify " + file + " >/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the replay did not verify");
            break;
        }
    }
    std::remove(file.c_str());
}
BENCHMARK(VerifyTheProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif
} // namespace

BENCHMARK(VerifyInProcess)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
