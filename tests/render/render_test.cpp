// The picture that RenderFrame draws in a real GL 3.3 core context, read back where the camera
// puts the well's cells, the pieces, the frame's bars and the text display's lines.
#include <GL/glew.h>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "camera.h"
#include "lifecycle.h"
#include "logic_timer.h"
#include "ranking_panel.h"
#include "renderer.h"
#include "screen.h"
#include "shader_program.h"
#include "snapshot.h"
#include "text_display.h"
#include "vertex_buffers.h"

using Rows = std::map<int, std::string>; // rows of the well, "IZSOTLJ" or '.' a cell

// The picture in the viewport, once GL has drawn it without an error.
static Picture ReadBack(int height = 720) {
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    Picture picture{960, height, std::vector<std::uint32_t>(960 * height), true};
    glReadPixels(0, 0, 960, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, picture.pixels.data());
    return picture;
}

// The frame with the well empty but for the rows, in a window 960 wide.
static Picture Draw(GameState frame, Phase phase, const Rows& rows = {}, int height = 720) {
    frame.board.fill(NoPiece);
    for (const auto& [row, cells] : rows) {
        for (int column = 0; column < 10; ++column) {
            frame.board[cellIndex(column, row)] = std::string("IZSOTLJ.").find(cells[column]);
        }
    }
    frame.phase = phase;
    ResizeViewport(960, height);
    PublishSnapshot(frame);
    RenderFrame();
    return ReadBack(height);
}

TEST(ShaderSource, TheFilesVersionLineIsTheContextsAndAnyOtherStartStays) {
    const char* es = "#version 300 es\nprecision mediump float;\n";
    // clang-format off
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"the files' line", "#version 330 core\nin vec3 p;\n", std::string(es) + "in vec3 p;\n"}, {"another version", "#version 999\n", "#version 999\n"},
        {"a line alike but longer", "#version 330 core2\n", "#version 330 core2\n"}, {"no file", "", ""}};
    // clang-format on
    for (const auto& [name, source, want] : cases) {
        EXPECT_EQ(WithVersionLine(source, es), want) << name;
    }
    std::string text = "kept"; // by a file that is not there, and by a folder
    EXPECT_EQ(ReadTextFile("none", text) + std::string(ReadTextFile(".", text)), "keptkept");
}

TEST(Picture, ShowsTheWellThePiecesTheFrameAndTheDisplayWhereTheCameraPutsThem) {
    // Every kind, both bottom corners, a cell of the hidden row 0 and one under the piece.
    // clang-format off
    const Rows stack = {{0, "..T......."}, {1, ".....O...."}, {16, "........L."}, {17, ".....T...."},
                        {18, "...S......"}, {19, ".Z........"}, {20, "I........J"}};
    // clang-format on
    // The piece: T turned once, its box at column 3, row 0; its cells (1, 0), (1, 1), (2, 1) and
    // (1, 2) of the box.
    Rows withPiece = stack;
    withPiece[1] = "....TT....";
    withPiece[2] = "....T.....";
    GameState frame; // and level 0
    std::tie(frame.activeKind, frame.pieceColumn, frame.pieceRotation) = std::tuple(PieceT, 3, 1);
    std::tie(frame.grade, frame.frameCount, frame.gravityIndex) = std::tuple(18, 7890, 12);
    // clang-format off
    const std::tuple<const char*, float, float> lines[] = {{"NEXT", -6, 13}, {"GRADE", -13, 11}, {"ZN", -10, 10}, {"POINTS", -13, 8}, {"LEVEL", -13, 5}, {"      0", -15, 4},
                                                           {"FRAMES", -13, 2}, {"   7890", -13, 1}, {"PHASE", -17, -1}, {"INDEX", -17, -4}, {"     12", -17, -5}};
    // clang-format on
    // The points right-aligned in seven characters, or as many as they have digits.
    // clang-format off
    const std::tuple<Phase, bool, PieceKind, const char*, const char*, int, unsigned, const char*> scenes[] = {
        {ACTIVE, true, PieceI, "IIII\n....\n", "ACTIVE   ", 720, 12345678, "12345678"}, {LOCKFLASH, true, PieceZ, "ZZ..\n.ZZ.\n", "LOCKFLASH", 720, 1234567, "1234567"},
        {GAMEOVER, true, PieceS, ".SS.\nSS..\n", "GAMEOVER ", 720, 123456, " 123456"}, {READYGO, false, PieceO, ".OO.\n.OO.\n", "READYGO  ", 720, 0, "      0"},
        {LINECLEAR, false, PieceT, "TTT.\n.T..\n", "LINECLEAR", 720, 40, "     40"}, {ARE, false, PieceL, "LLL.\nL...\n", "ARE      ", 720, 0, "      0"},
        {ACTIVE, true, PieceJ, "JJJ.\n..J.\n", "ACTIVE   ", 540 /* a wider window */, 0, "      0"}, {ACTIVE, true, NoPiece, "....\n....\n", "ACTIVE   ", 720, 0, "      0"},
    };
    // clang-format on
    for (const auto& [phase, pieceShown, next, preview, name, height, score, points] : scenes) {
        std::tie(frame.nextKind, frame.score) = std::tie(next, score);
        const Picture picture = Draw(frame, phase, stack, height);
        SCOPED_TRACE(name);
        const Rows& rows = pieceShown ? withPiece : stack;
        std::string well; // rows 1 to 20
        for (int row = 1; row <= 20; ++row) {
            well += (rows.count(row) ? rows.at(row) : "..........") + "\n";
        }
        EXPECT_EQ(ReadCells(picture, -5, 10, 10, 20), well);
        EXPECT_EQ(ReadCells(picture, -2, 14, 4, 2), preview);
        EXPECT_TRUE(FrameBars(picture));
        EXPECT_EQ(ReadText(picture, -17, -2, 9), name);
        EXPECT_EQ(ReadText(picture, -15, 7, std::strlen(points)), points);
        for (const auto& [text, x, y] : lines) {
            EXPECT_EQ(ReadText(picture, x, y, std::strlen(text)), text);
        }
        // Above the frame, the piece's cell in row 0, upright: the face's top strip; but never
        // the board's row 0. Below the middle, the top face of the bottom row's I, half way back.
        EXPECT_TRUE(Near(picture.at({-0.94f, 11.94f, 0}), pieceShown ? Rgb(59, 239, 255) : Rgb(0)));
        EXPECT_TRUE(Near(picture.at({-4.5f, -8, -0.5f}), {219, 50, 0}));
        EXPECT_EQ(picture.at({-2.5f, 11.94f, 0}), Rgb(0));
        EXPECT_EQ(ReadCells(picture, -1, 11, 1, 1), "#\n") << "the frame before the piece";
    }
    frame.activeKind = NoPiece; // no record in play has none, but one would draw none
    // clang-format off
    EXPECT_EQ(ReadCells(Draw(frame, ACTIVE), -5, 11, 10, 21), ReadCells(Draw(frame, ARE), -5, 11, 10, 21));
    // clang-format on
}

// Each face of the block is a whole side of the unit cube, drawn as two triangles over its corners
// (u, v) = (1, 1) (0, 0) (1, 0) and (1, 1) (0, 1) (0, 0), and wears the texture unmirrored as seen
// from outside: v runs up the upright faces and toward the back on the bottom and the top.
TEST(Picture, EachFaceOfTheBlockIsASideOfTheCubeWearingTheWholeTextureUnmirrored) {
    std::array<float, CubeVertexCount * 5> buffer{};
    glBindBuffer(GL_ARRAY_BUFFER, CubeBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof buffer, buffer.data());
    // Outwards from the front, left, right, bottom, top and back faces.
    // clang-format off
    const glm::vec3 outwards[] = {{0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}};
    // clang-format on
    const glm::vec2 corners[] = {{1, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    for (int vertex = 0; vertex < CubeVertexCount; ++vertex) {
        // The texture's up, and its u to the right of it as seen from outside.
        const glm::vec3 out = outwards[vertex / 6], up(0, out.y == 0, -(out.y != 0));
        const glm::vec2 uv = corners[vertex % 6];
        const glm::vec3 at = glm::vec3(1, 1, -1) + out + (uv.x * 2 - 1) * glm::cross(up, out);
        EXPECT_EQ(glm::make_vec3(&buffer[vertex * 5]), (at + (uv.y * 2 - 1) * up) / 2.0f) << vertex;
        EXPECT_EQ(glm::make_vec2(&buffer[vertex * 5 + 3]), uv) << vertex;
    }
}

TEST(Picture, TransparentGlyphTexelsShowWhatIsBehindThem) {
    Draw({}, READYGO, {{1, "OOO......."}});
    // In front of row 1: a space, and codes below and above the sheet, which clamp to its
    // transparent edge columns.
    DrawText(" \x01\x7f", -5, 10, 0.5f, 1);
    EXPECT_EQ(ReadCells(ReadBack(), -5, 10, 3, 1), "OOO\n");
}

TEST(Picture, TheBestPanelShowsTheFirstFiveGamesInReadyGoAndAtGameOverOnly) {
    const std::string date = "2026-12-08T04:41:01Z";
    // clang-format off
    ShownRanking = {{{{18, 1260000, 999, 37500}, date, "a"}, {{9, 30500, 312, 3750}, date, "b"}, {{8, 22000, 300, 3749}, date, "c"},
                     {{1, 800, 12, 1}, date, "d"}, {{0, 0, 0, 63}, date, "e"}, {{0, 0, 0, 0}, date, "f"}}, 1};
    // clang-format on
    // The times: 37500 frames of 16 ms are ten minutes, 3750 one; 3749 are 59.984 s, 63 1.008 s.
    // clang-format off
    const char* lines[] = {" ZN 1260000 999 10:00.00", ">S1   30500 312 1:00.00", "  1   22000 300 0:59.98",
                           "  8     800  12 0:00.01", "  9       0   0 0:01.00", ""};
    // clang-format on
    // In the 4:3 window and a wider one alike.
    // clang-format off
    const std::tuple<Phase, int, bool> scenes[] = {{READYGO, 720, true}, {GAMEOVER, 720, true}, {GAMEOVER, 540, true},
                                                   {ACTIVE, 720, false}, {LOCKFLASH, 720, false}, {LINECLEAR, 720, false}, {ARE, 720, false}};
    // clang-format on
    for (const auto& [phase, height, shown] : scenes) {
        const Picture picture = Draw({}, phase, {}, height);
        SCOPED_TRACE(PhaseName(phase) + std::string(" at 960x") + std::to_string(height));
        EXPECT_EQ(ReadText(picture, 7, 9, 4), shown ? "BEST" : "    ");
        for (int i = 0; i < 6; ++i) {
            const std::string want = shown ? lines[i] : "";
            // clang-format off
            EXPECT_EQ(ReadText(picture, 7, 8.0f - i, 24, 0.5f), want + std::string(24 - want.size(), ' ')) << "game " << i + 1;
            // clang-format on
        }
    }
    ShownRanking = {};
    EXPECT_EQ(std::string(GradeName(19)) + PhaseName(7), "????") << "past the last grade and phase";
}

// One window and GL context for all the tests, opened the program's way, which says why it
// could not; closed the program's way, after which nothing of the window or the media library
// is left, and the timer's thread must be gone before the game records are destroyed after main.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Through EGL, as on Wayland: there the GL reports the swap interval and the depth buffer's
    // size as asked, where Xvfb's GLX has no swap interval and gives the largest depth buffer.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    if (!OpenWindow()) {
        return 1;
    }
    CreateRenderObjects();
    const int failed = RUN_ALL_TESTS();
    StartLogicTimer();
    ShutDown();
    if (Window != nullptr || GLContext != nullptr || SDL_WasInit(0) != 0) {
        std::fprintf(stderr, "The shutdown left the window, its context or the media library\n");
        return 1;
    }
    const std::string tasks = "/proc/" + std::to_string(getpid()) + "/task/*/comm";
    if (std::system(("grep -qsx SDLTimer " + tasks).c_str()) == 0) {
        std::fprintf(stderr, "The timer thread outlived the shutdown\n");
        return 1;
    }
    return failed;
}
