// The choice of the next piece: avoid the four most recent kinds within a few draws, and keep
// the awkward Z, S and O out of the first two pieces of a game.
#include "game_state.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int MaxDraws = 4;

PieceKind drawKind() {
    return static_cast<PieceKind>(std::rand() % 7);
}

bool isAwkwardOpener(PieceKind kind) {
    return kind == PieceZ || kind == PieceS || kind == PieceO;
}
} // namespace

PieceKind GameState::randomKind() {
    PieceKind kind = drawKind();
    if (firstPiece) {
        while (isAwkwardOpener(kind)) {
            kind = drawKind();
        }
    } else {
        for (int draw = 1; draw < MaxDraws; ++draw) {
            if (std::find(pieceHistory.begin(), pieceHistory.end(), kind) == pieceHistory.end()) {
                break;
            }
            kind = drawKind();
        }
    }
    std::copy_backward(pieceHistory.begin(), pieceHistory.end() - 1, pieceHistory.end());
    pieceHistory.front() = kind;
    return kind;
}
