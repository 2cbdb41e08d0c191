// The screen reader against pictures that the real program drew: what a picture at READYGO and
// one in ACTIVE must show, read through the camera of the window's size, and nothing of it read
// through the camera of another size.
#include "game_session.h"
#include "well_cells.h"

#include <gtest/gtest.h>

namespace {

bool IsReady(const ScreenReading& r) {
    return Recognised(r) && r.phase == "READYGO";
}

TEST(ScreenReader, ReadsTheLabelsOfTheDisplayWhereTheProgramPutsThem) {
    GameSession game;
    ASSERT_TRUE(game.waitFor(IsReady, 10s)) << "phase " << game.lastReading().phase;
    const Picture picture = game.picture();
    const Camera camera(picture.width, picture.height);
    EXPECT_EQ(ReadText(picture, camera, -6, 13, 4), "NEXT");
    EXPECT_EQ(ReadText(picture, camera, -13, 11, 5), "GRADE");
    EXPECT_EQ(ReadText(picture, camera, -13, 8, 6), "POINTS");
    EXPECT_EQ(ReadText(picture, camera, -13, 5, 5), "LEVEL");
    EXPECT_EQ(ReadText(picture, camera, -13, 2, 6), "FRAMES");
    EXPECT_EQ(ReadText(picture, camera, -17, -1, 5), "PHASE");
    EXPECT_EQ(ReadText(picture, camera, -17, -4, 5), "INDEX");
    // Half a glyph off, the same place reads as nothing the sheet holds.
    EXPECT_NE(ReadText(picture, camera, -6.5f, 13, 4), "NEXT");
}

TEST(ScreenReader, ReadsAReadyPictureAsAnEmptyWellWithZerosAndAPreview) {
    GameSession game;
    const auto ready = game.waitFor(IsReady, 10s);
    ASSERT_TRUE(ready) << "phase " << game.lastReading().phase;
    EXPECT_EQ(FilledCells(*ready).size(), 0u) << BoardText(*ready);
    EXPECT_TRUE(ready->wellFrame);
    EXPECT_EQ(ready->grade, " 9");
    for (const std::string& number : {ready->points, ready->level, ready->frames, ready->index}) {
        EXPECT_EQ(number, "      0");
    }
    ASSERT_NE(ready->nextKind, EmptyCell);
    EXPECT_TRUE(PreviewShows(*ready, ready->nextKind)) << "next kind " << ready->nextKind;
}

TEST(ScreenReader, ReadsTheFirstActivePieceAsFourCellsOfThePreviewedKind) {
    GameSession game;
    const auto ready = game.waitFor(IsReady, 10s);
    ASSERT_TRUE(ready);
    const auto active = game.waitForActive();
    ASSERT_TRUE(active) << "phase " << game.lastReading().phase;
    const CellSet cells = FilledCells(*active);
    EXPECT_EQ(cells.size(), 4u) << BoardText(*active);
    EXPECT_TRUE(AllOfKind(*active, cells, ready->nextKind)) << BoardText(*active);
    EXPECT_TRUE(FindPiece(*active, {}, ready->nextKind)) << BoardText(*active);
    EXPECT_TRUE(DisplayedNumber(active->frames)) << "'" << active->frames << "'";
}

TEST(ScreenReader, FindsNothingThroughTheCameraOfAnotherWindowSize) {
    GameSession game;
    ASSERT_TRUE(game.waitFor(IsReady, 10s));
    const Picture picture = game.picture();
    const ScreenReading wrong = ReadScreen(picture, Camera(1280, 720));
    EXPECT_FALSE(wrong.wellFrame);
    EXPECT_NE(wrong.phase, "READYGO");
    EXPECT_NE(wrong.grade, " 9");
}

TEST(ScreenReader, ReadsABlackPictureAsNothingAtAll) {
    Picture black;
    black.width = 960;
    black.height = 720;
    black.rgb.assign(960 * 720 * 3, 0);
    const ScreenReading reading = ReadScreen(black);
    EXPECT_TRUE(IsBlack(black));
    EXPECT_TRUE(FilledCells(reading).empty());
    EXPECT_EQ(reading.nextKind, EmptyCell);
    EXPECT_FALSE(reading.wellFrame);
    EXPECT_EQ(reading.phase, "");
    EXPECT_EQ(reading.frames, "       ");
    EXPECT_EQ(DisplayedNumber(reading.frames), std::nullopt);
}

} // namespace
