// The game record's construction and the frame step that dispatches to the phase handlers.
#include "game_state.h"

#include <cstdlib>

#include "phase_steps.h"

GameState GameState::newGame(unsigned int seed) {
    GameState game;
    game.firstPiece = true;
    std::srand(seed);
    game.nextKind = game.randomKind();
    game.activeKind = NoPiece;
    game.pieceColumn = EntryColumn;
    game.board.fill(NoPiece);
    game.combo = 1;
    game.allClearFactor = 1;
    game.phase = READYGO;
    return game;
}

GameState GameState::tick(InputBits controls) {
    const Phase phaseAtStart = phase;
    if (phaseAtStart != READYGO && phaseAtStart != GAMEOVER) {
        ++frameCount;
    }
    if (phaseAtStart != ACTIVE) {
        rotateHeld = (controls & AnyRotate) != 0;
    }

    switch (phaseAtStart) {
    case READYGO:
        runReadyGo(*this, controls);
        break;
    case ACTIVE:
        runActive(*this, controls);
        break;
    case LOCKFLASH:
        runLockFlash(*this);
        break;
    case LINECLEAR:
        runLineClear(*this);
        break;
    case ARE:
        runEntryDelay(*this, controls);
        break;
    default:
        break;
    }

    prevPhase = phaseAtStart;
    prevControls = controls;
    return *this;
}

bool operator==(const GameState& a, const GameState& b) {
    return RecordFields(a) == RecordFields(b);
}
