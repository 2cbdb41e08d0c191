// The picture that RenderFrame draws in a real GL 3.3 core context, read back where the camera
// puts the board's cells, the pieces, the well frame's bars and the text display's lines; and
// what the shader loader says, on which stream.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "camera.h"
#include "lifecycle.h"
#include "renderer.h"
#include "screen.h"
#include "shader_program.h"
#include "snapshot.h"
#include "text_display.h"

namespace {
// The viewport's picture, top row first.
Picture ReadBack(int width = 960, int height = 720) {
    Picture picture{width, height, std::vector<unsigned char>(width * height * 3)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int y = 0; y < height; ++y) {
        glReadPixels(0, height - 1 - y, width, 1, GL_RGB, GL_UNSIGNED_BYTE,
                     &picture.rgb[y * width * 3]);
    }
    return picture;
}

// The frame as a window of the size shows it; GL must raise no error on the way.
Picture Draw(const GameState& frame, int width = 960, int height = 720) {
    ResizeViewport(width, height);
    PublishSnapshot(frame);
    RenderFrame();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return ReadBack(width, height);
}

GameState Frame(Phase phase, PieceKind next = NoPiece) {
    GameState frame;
    frame.board.fill(NoPiece);
    frame.phase = phase;
    frame.activeKind = NoPiece;
    frame.nextKind = next;
    return frame;
}

struct Cell {
    char kind;
    int column, row;
};

// Every kind, one cell in the hidden row 0 and one in the top right corner of the well.
const std::vector<Cell> Stack = {{'I', 0, 20}, {'Z', 1, 19}, {'S', 2, 18}, {'O', 4, 18},
                                 {'T', 5, 16}, {'L', 6, 15}, {'J', 9, 1},  {'T', 5, 0}};
// T turned once with its box at column 3, row 17: cells (1, 0) (1, 1) (2, 1) (1, 2) of the box.
const std::vector<Cell> TurnedT = {{'T', 4, 17}, {'T', 4, 18}, {'T', 5, 18}, {'T', 4, 19}};
// I upright with its box at column 4, row 0: column 2 of the box, rows 0 to 3.
const std::vector<Cell> UprightI = {{'I', 6, 0}, {'I', 6, 1}, {'I', 6, 2}, {'I', 6, 3}};

struct Scene {
    const char* phaseName;
    Phase phase;
    char active;
    int column, row, rotation;
    std::vector<Cell> piece; // where the active piece shows, when it does
    bool pieceShown;
    PieceKind next;
    const char* preview; // its two rows of four cells
    int width, height;
};

TEST(Picture, ShowsTheBoardThePiecesAndTheFrameWhereTheCameraPutsThem) {
    const Scene scenes[] = {
        {"ACTIVE", ACTIVE, 'T', 3, 17, 1, TurnedT, true, PieceI, "IIII....", 960, 720},
        {"LOCKFLASH", LOCKFLASH, 'T', 3, 17, 1, TurnedT, true, PieceZ, "ZZ...ZZ.", 960, 720},
        {"GAMEOVER", GAMEOVER, 'T', 3, 17, 1, TurnedT, true, PieceS, ".SS.SS..", 960, 720},
        {"READYGO", READYGO, 'T', 3, 17, 1, TurnedT, false, PieceO, ".OO..OO.", 960, 720},
        {"LINECLEAR", LINECLEAR, 'T', 3, 17, 1, TurnedT, false, PieceT, "TTT..T..", 960, 720},
        {"ARE", ARE, 'T', 3, 17, 1, TurnedT, false, PieceL, "LLL.L...", 960, 720},
        {"NONE", NONE, 'T', 3, 17, 1, TurnedT, false, PieceJ, "JJJ...J.", 960, 720},
        {"ACTIVE", ACTIVE, 'I', 4, 0, 1, UprightI, true, NoPiece, "........", 960, 720},
        {"ACTIVE", ACTIVE, 'T', 3, 17, 1, TurnedT, true, PieceJ, "JJJ...J.", 960, 540},
    };
    for (const Scene& scene : scenes) {
        GameState frame = Frame(scene.phase, scene.next);
        frame.activeKind = std::string("IZSOTLJ").find(scene.active);
        frame.pieceColumn = scene.column;
        frame.pieceRow = scene.row;
        frame.pieceRotation = scene.rotation;
        std::string board(220, '.');
        for (int row = 1; row <= 20; ++row) {
            board[row * 11 - 1] = '\n';
        }
        for (const Cell& cell : Stack) {
            frame.board[cellIndex(cell.column, cell.row)] = std::string("IZSOTLJ").find(cell.kind);
        }
        for (const auto& cells : {Stack, scene.pieceShown ? scene.piece : std::vector<Cell>{}}) {
            for (const Cell& cell : cells) {
                if (cell.row > 0) {
                    board[(cell.row - 1) * 11 + cell.column] = cell.kind;
                }
            }
        }
        const Picture picture = Draw(frame, scene.width, scene.height);
        SCOPED_TRACE(std::string(scene.phaseName) + " at " + std::to_string(scene.width) + " x " +
                     std::to_string(scene.height));
        EXPECT_EQ(ReadBoard(picture), board);
        EXPECT_EQ(ReadPreview(picture), scene.preview);
        EXPECT_TRUE(FrameBars(picture));
        EXPECT_EQ(ReadText(picture, -17, -2, 9),
                  (scene.phaseName + std::string(9, ' ')).substr(0, 9));
    }
}

TEST(Picture, AboveTheFrameShowsThePiecesCellInRowZeroUprightButNeverTheBoards) {
    GameState frame = Frame(ACTIVE);
    frame.activeKind = PieceI;
    frame.pieceColumn = 4;
    frame.pieceRotation = 1;
    frame.board[cellIndex(2, 0)] = PieceT;
    const Picture picture = Draw(frame);
    EXPECT_TRUE(Near(picture.at({1.06f, 11.94f, 0}), {250, 167, 85})) << "the top strip";
    EXPECT_TRUE(Near(picture.at({1.94f, 11.94f, 0}), {153, 5, 5})) << "the top right corner";
    EXPECT_TRUE(Near(picture.at({-2.5f, 11.94f, 0}), {0, 0, 0}, 0));
}

TEST(Picture, TheTextDisplayShowsItsLabelsAndFigures) {
    struct Line {
        const char* text;
        float x, y;
    };
    const Line labels[] = {{"NEXT", -6, 13},  {"GRADE", -13, 11}, {"POINTS", -13, 8},
                           {"LEVEL", -13, 5}, {"FRAMES", -13, 2}, {"PHASE", -17, -1},
                           {"INDEX", -17, -4}};
    const Line figures[] = {{"grade", -10, 10},
                            {"points", -15, 7},
                            {"level", -15, 4},
                            {"frames", -13, 1},
                            {"index", -17, -5}};
    const struct {
        std::uint32_t grade, score, level, frames, index;
        std::string shown[5];
    } rows[] = {
        {18, 1234, 56, 7890, 12, {"ZN", "   1234", "     56", "   7890", "     12"}},
        {0,
         12345678,
         0,
         1234567,
         4294967295u,
         {" 9", "12345678", "      0", "1234567", "4294967295"}},
    };
    for (const auto& row : rows) {
        GameState frame = Frame(ACTIVE);
        frame.grade = row.grade;
        frame.score = row.score;
        frame.level = row.level;
        frame.frameCount = row.frames;
        frame.gravityIndex = row.index;
        const Picture picture = Draw(frame);
        for (const Line& label : labels) {
            EXPECT_EQ(ReadText(picture, label.x, label.y, std::strlen(label.text)), label.text);
        }
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(ReadText(picture, figures[i].x, figures[i].y, row.shown[i].size()),
                      row.shown[i])
                << figures[i].text;
        }
    }
}

TEST(Picture, TransparentGlyphTexelsShowWhatIsBehindThem) {
    GameState frame = Frame(ACTIVE);
    frame.board.fill(PieceO);
    Draw(frame);
    // A space, and codes below and above the sheet, which clamp to its transparent edge columns.
    DrawText(" \x01\x7f", -5, 10, 0.5f, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(ReadBoard(ReadBack()).substr(0, 3), "OOO") << "row 1 behind the three glyphs";
}

TEST(Picture, IsBlackUntilAFrameIsPublished) {
    GameState frame = Frame(ACTIVE);
    frame.board.fill(PieceO);
    Draw(frame);
    SnapshotReady = false;
    RenderFrame();
    const Picture picture = ReadBack();
    EXPECT_EQ(std::count(picture.rgb.begin(), picture.rgb.end(), 0),
              static_cast<long>(picture.rgb.size()));
}

// What GL says of a source that does not compile, cut to the 99 characters that the loader shows.
std::string CompileLog(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    char log[100] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    glDeleteShader(shader);
    return log;
}

TEST(ShaderLoader, ReportsFailedStagesOnStandardErrorAndTheirLogsOnStandardOutput) {
    const std::string vertexFailed = "\nVertex Shader compilation failed...\n";
    const std::string fragmentFailed = "\nFragment Shader compilation failed...\n";
    const std::string linkFailed = "Link failed...\n";
    // A source is a file of the working directory, or, beginning with '#', a text of its own.
    const struct {
        std::string vertex, fragment, err;
    } rows[] = {
        {"textured.vert", "textured.frag", ""},
        {"missing.vert", "textured.frag", vertexFailed + linkFailed},
        {"textured.vert", "missing.frag", fragmentFailed + linkFailed},
        {"#version 999\n", "#version 330 core\nout vec4 c;\nvoid main() { c = x; }\n",
         vertexFailed + fragmentFailed + linkFailed},
        {"colored.vert", "#version 330 core\nout vec4 c;\nvoid paint() { c = vec4(1); }\n",
         linkFailed},
    };
    const std::string texts[2] = {testing::TempDir() + std::to_string(getpid()) + ".vert",
                                  testing::TempDir() + std::to_string(getpid()) + ".frag"};
    for (const auto& row : rows) {
        std::string paths[2] = {row.vertex, row.fragment}, logs[2];
        for (int stage = 0; stage < 2; ++stage) {
            const std::string text = paths[stage][0] == '#' ? paths[stage] : "";
            logs[stage] = CompileLog(stage == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, text);
            if (!text.empty()) {
                std::ofstream(paths[stage] = texts[stage]) << text;
            }
        }
        const ShaderStage stages[2] = {{GL_VERTEX_SHADER, paths[0].c_str()},
                                       {GL_FRAGMENT_SHADER, paths[1].c_str()}};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_NE(LoadShaderProgram(stages), 0u) << "the program's name, whatever failed";
        const std::string err = testing::internal::GetCapturedStderr();
        std::string out;
        for (char c : row.err.find("Fragment") != std::string::npos ? logs[1] : "") {
            out += std::string(1, c) + "\n";
        }
        EXPECT_EQ(err, row.err) << row.vertex << " and " << row.fragment;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  (row.err.find("Vertex") != std::string::npos ? logs[0] : "") + out);
    }
    std::remove(texts[0].c_str());
    std::remove(texts[1].c_str());
}
} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // One window and GL context for all the tests, opened the program's way; listing the tests
    // needs no display. A failure to open ends the program with a failure and its reason.
    if (!GTEST_FLAG_GET(list_tests)) {
        if (!OpenWindow()) {
            return 1;
        }
        CreateRenderObjects();
    }
    return RUN_ALL_TESTS();
}
