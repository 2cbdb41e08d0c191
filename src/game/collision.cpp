// Whether the active piece overlaps a wall, the floor or the stack where it stands.
#include "game_state.h"

bool GameState::collides() const {
    if (activeKind >= PieceKindCount) {
        return false;
    }
    const auto& shape = pieceShape(activeKind, pieceRotation);
    for (int cell = 0; cell < 4; ++cell) {
        const int column = pieceColumn + shape[cell];
        const int row = pieceRow + shape[cell + 4];
        if (column < 0 || column >= BoardColumns || row < 0 || row >= BoardRows) {
            return true;
        }
        if (board[cellIndex(column, row)] != NoPiece) {
            return true;
        }
    }
    return false;
}
