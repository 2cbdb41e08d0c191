#include "recording.h"

void RecordControls(std::vector<ControlRun>& runs, InputBits controls) {
    if (!runs.empty() && runs.back().controls == controls) {
        ++runs.back().ticks;
    } else {
        runs.push_back({controls, 1});
    }
}

bool NextControls(const std::vector<ControlRun>& runs, ReplayCursor& cursor, InputBits& controls) {
    while (cursor.run < runs.size() && cursor.used >= runs[cursor.run].ticks) {
        ++cursor.run;
        cursor.used = 0;
    }
    if (cursor.run >= runs.size()) {
        return false;
    }
    controls = runs[cursor.run].controls;
    ++cursor.used;
    return true;
}

GameState PlayThrough(const Replay& replay) {
    GameState game = GameState::newGame(replay.seed);
    for (const ControlRun& run : replay.runs) {
        for (std::uint32_t tick = 0; tick < run.ticks; ++tick) {
            game.tick(run.controls);
        }
    }
    return game;
}
