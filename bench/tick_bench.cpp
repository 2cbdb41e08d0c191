// What the logic timer does every frame: one tick, and the copy of its result into the record
// the renderer reads.
#include <benchmark/benchmark.h>

#include "game_state.h"
#include "recording.h"

namespace {

GameState activeGame() {
    GameState game = GameState::newGame(7);
    while (game.phase != ACTIVE) {
        game.tick(0);
    }
    return game;
}

// A stack of four nearly full rows with a vertical I about to complete them.
GameState fourRowsReady() {
    GameState game = activeGame();
    for (int row = 17; row <= 20; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            game.board[cellIndex(column, row)] = column == 9 ? NoPiece : PieceT;
        }
    }
    game.activeKind = PieceI;
    game.pieceRotation = 1;
    game.pieceColumn = 7;
    game.pieceRow = 17;
    return game;
}

void ActiveFrame(benchmark::State& state) {
    GameState live = activeGame();
    GameState snapshot;
    for (auto _ : state) {
        snapshot = live.tick(0);
        live.pieceRow = 0; // keep the piece in the air, so every frame is an ordinary one
        benchmark::DoNotOptimize(snapshot.pieceRow);
    }
}

// The same frame as the timer thread runs it while a game is recorded: its controls added to the
// runs first. Up, which no rule reads, changes every tick, so that every tick starts a run, the
// most a tick can cost; the runs start again when their reserved storage is full.
void ActiveFrameRecorded(benchmark::State& state) {
    GameState live = activeGame();
    GameState snapshot;
    std::vector<ControlRun> runs;
    runs.reserve(1 << 14);
    InputBits controls = 0;
    for (auto _ : state) {
        if (runs.size() == runs.capacity()) {
            runs.clear();
        }
        controls ^= Up;
        RecordControls(runs, controls);
        snapshot = live.tick(controls);
        live.pieceRow = 0;
        benchmark::DoNotOptimize(snapshot.pieceRow);
    }
}

// Each iteration puts back the few fields the frame changed, so that it measures the same frame
// again; those stores cost a few nanoseconds next to the frame itself.
void LockFlashWriteFrame(benchmark::State& state) {
    GameState live = fourRowsReady();
    const Board stack = live.board;
    GameState snapshot;
    for (auto _ : state) {
        live.phase = LOCKFLASH;
        live.flashTimer = LockFlashFrames - 1;
        live.board = stack;
        snapshot = live.tick(0);
        benchmark::DoNotOptimize(snapshot.clearedCount);
    }
}

void LineClearCollapseFrame(benchmark::State& state) {
    GameState live = fourRowsReady();
    live.phase = LOCKFLASH;
    live.flashTimer = LockFlashFrames - 1;
    live.tick(0);
    const Board fullRows = live.board;
    GameState snapshot;
    for (auto _ : state) {
        live.phase = LINECLEAR;
        live.clearTimer = LineClearFrames - 1;
        live.board = fullRows;
        snapshot = live.tick(0);
        benchmark::DoNotOptimize(snapshot.board);
    }
}

} // namespace

BENCHMARK(ActiveFrame);
BENCHMARK(ActiveFrameRecorded);
BENCHMARK(LockFlashWriteFrame);
BENCHMARK(LineClearCollapseFrame);
BENCHMARK_MAIN();
