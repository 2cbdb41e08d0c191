// Between two pieces: the lock flash that writes a piece, the line clear that removes full rows,
// and the entry that may end the game.
#include "game_test_helpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace gametest;

TEST(LockFlash, ThePieceIsWrittenInTheFourthFrameWhateverIsHeld) {
    GameState game = activeState(PieceT, 3, 18);
    game.tick(Down);
    ASSERT_EQ(game.phase, LOCKFLASH);
    const std::vector<bool> flashes = {true, true, true, false};
    for (std::uint32_t frame = 1; frame <= LockFlashFrames; ++frame) {
        game.tick(Left | RotateCw);
        EXPECT_EQ(game.lockFlash, flashes[frame - 1]) << "frame " << frame;
        EXPECT_EQ(game.flashTimer, frame % LockFlashFrames);
        EXPECT_EQ(game.pieceColumn, 3);
        EXPECT_EQ(game.pieceRotation, 0u);
        EXPECT_EQ(game.shiftRepeat, 0u);
        EXPECT_TRUE(game.rotateHeld) << "kept up to date outside ACTIVE";
        if (frame < LockFlashFrames) {
            EXPECT_EQ(drawBoard(game.board), drawBoard(emptyBoard()));
        }
    }
    EXPECT_EQ(drawBoard(game.board), drawBoard(boardFromBottom({"...TTT....", "....T....."})));
    EXPECT_EQ(game.phase, ARE);
    EXPECT_EQ(game.clearedCount, 0u);
    EXPECT_EQ(game.clearedRows, std::vector<std::uint32_t>(4, NoClearedRow));
    EXPECT_EQ(game.activeKind, PieceT) << "still describes the piece just written";
    while (game.phase == ARE) {
        EXPECT_FALSE(game.tick(0).lockFlash);
    }
}

TEST(LineClear, FullRowsStayFortyOneFramesThenTheRowsAboveCloseTheGaps) {
    // A vertical I dropped into column 9 completes rows 17, 18 and 20 but not 19.
    GameState game = activeState(PieceI, 7, 17, 1,
                                 boardFromBottom({
                                     "S.........",
                                     "ZZZZZZZZZ.",
                                     "TTTTTTTTT.",
                                     "LLLL.LLLL.",
                                     "OOOOOOOOO.",
                                 }));
    game.level = 10;
    game.tick(Down);
    run(game, LockFlashFrames);
    ASSERT_EQ(game.phase, LINECLEAR);
    const Board full = boardFromBottom({
        "S.........",
        "ZZZZZZZZZI",
        "TTTTTTTTTI",
        "LLLL.LLLLI",
        "OOOOOOOOOI",
    });
    EXPECT_EQ(drawBoard(game.board), drawBoard(full));
    const std::vector<std::uint32_t> rows = {17, 18, 20, NoClearedRow};
    EXPECT_EQ(game.clearedRows, rows);
    EXPECT_EQ(game.clearedCount, 3u);

    // Scored in the first frame: L1 = 13, (ceil(13 / 4) + 1 soft-drop frame) x 5 x 3 rows.
    game.tick(0);
    EXPECT_EQ(game.score, 75u);
    EXPECT_EQ(game.level, 13u);
    EXPECT_EQ(game.combo, 5u);
    game.tick(0);
    EXPECT_EQ(game.combo, 1u);
    run(game, 38);
    EXPECT_EQ(game.clearTimer, 40u);
    EXPECT_EQ(game.phase, LINECLEAR);
    EXPECT_EQ(drawBoard(game.board), drawBoard(full));
    EXPECT_EQ(game.clearedRows, rows);

    game.tick(0);
    EXPECT_EQ(game.phase, ARE);
    EXPECT_EQ(game.clearTimer, 0u);
    EXPECT_EQ(drawBoard(game.board), drawBoard(boardFromBottom({"S.........", "LLLL.LLLLI"})));
    EXPECT_EQ(game.clearedRows, std::vector<std::uint32_t>(4, NoClearedRow));
    EXPECT_EQ(game.clearedCount, 3u) << "kept until the next lock";
    EXPECT_EQ(game.score, 75u);

    // A block in the hidden top row moves down too, and the row it leaves is emptied.
    GameState high = stateIn(LINECLEAR);
    high.board = withBlock(boardFromBottom({"##########"}), 0, 0, PieceS);
    high.clearTimer = LineClearFrames - 1;
    high.tick(0);
    EXPECT_EQ(drawBoard(high.board), drawBoard(withBlock(emptyBoard(), 0, 1, PieceS)));
}

TEST(GameOver, APieceThatDoesNotFitAfterItsInitialRotationEndsTheGame) {
    // An I enters in row 1 at columns 3 to 6, a T in row 1 at columns 3 to 5 and (4, 2).
    const Board sixth = withBlock(emptyBoard(), 6, 1);
    GameState longPiece = areState(EntryDelayFrames - 1, PieceI, sixth);
    longPiece.tick(0);
    EXPECT_EQ(longPiece.phase, GAMEOVER);
    EXPECT_EQ(longPiece.activeKind, PieceI);
    EXPECT_EQ(longPiece.pieceColumn, EntryColumn);
    EXPECT_EQ(longPiece.pieceRow, EntryRow);
    EXPECT_TRUE(longPiece.collides()) << "the last piece stays overlapping the stack";
    GameState shortPiece = areState(EntryDelayFrames - 1, PieceT, sixth);
    shortPiece.tick(0);
    EXPECT_EQ(shortPiece.phase, ACTIVE);

    // A block at (3, 1): turned counter-clockwise the T misses it, clockwise it does not.
    const Board left = withBlock(emptyBoard(), 3, 1);
    GameState saved = areState(EntryDelayFrames - 1, PieceT, left);
    saved.tick(RotateCcw2);
    EXPECT_EQ(saved.phase, ACTIVE);
    EXPECT_EQ(saved.pieceRotation, 1u);
    GameState refused = areState(EntryDelayFrames - 1, PieceT, left);
    refused.tick(RotateCw);
    EXPECT_EQ(refused.phase, GAMEOVER);
    EXPECT_EQ(refused.pieceRotation, 0u);
    GameState unturned = areState(EntryDelayFrames - 1, PieceT, left);
    unturned.tick(0);
    EXPECT_EQ(unturned.phase, GAMEOVER);
}
