// What a player sees of the well, its band, the settled blocks and the two pieces.
#include <chrono>
#include <thread>

#include "gl_fixture.h"
#include "logic_timer.h"
#include "shader_program.h"

namespace {
// The centre texel of each kind's face.
const Rgb FaceCentre[7] = {{219, 50, 0},  {67, 170, 9},  {200, 0, 208}, {188, 171, 23},
                           {8, 147, 189}, {219, 108, 0}, {1, 59, 215}};
const Rgb RedTopStrip{250, 167, 85};

// The centre of texel (32, 32) on the front face of the block with this lower-left corner.
glm::vec3 FaceCentreOf(float x, float y) {
    return {x + 32.5f / 64, y + 32.5f / 64, 0.0f};
}
glm::vec3 BoardCell(int column, int row) {
    return FaceCentreOf(-5.0f + column, 11.0f - row);
}

void ExpectFace(const Picture& picture, const glm::vec3& at, PieceKind kind) {
    EXPECT_TRUE(Near(picture.at(at), FaceCentre[kind], 12))
        << "kind " << kind << " at (" << at.x << ", " << at.y << ") shows " << picture.at(at);
}

// Across each bar of the band: black outside, a shade of grey on it, black inside.
void ExpectBandAroundTheEmptyWell(const Picture& picture) {
    const float z = 0.1f;
    const glm::vec3 across[4][3] = {{{-5.9f, 1, z}, {-5.375f, 1, z}, {-4.9f, 1, z}},
                                    {{5.9f, -3, z}, {5.375f, -3, z}, {4.9f, -3, z}},
                                    {{0, 11.9f, z}, {0, 11.375f, z}, {0, 10.9f, z}},
                                    {{2, -9.9f, z}, {2, -9.375f, z}, {2, -8.9f, z}}};
    for (const auto& bar : across) {
        const Rgb band = picture.at(bar[1]);
        EXPECT_TRUE(band.red == band.green && band.green == band.blue && band.red >= 99 &&
                    band.red <= 250)
            << band;
        EXPECT_TRUE(Near(picture.at(bar[0]), Black, 0) && Near(picture.at(bar[2]), Black, 0));
    }
}

void ExpectActivePiece(const Picture& picture, const GameState& frame, bool shown) {
    const auto& shape = pieceShape(frame.activeKind, frame.pieceRotation);
    for (int i = 0; i < 4; ++i) {
        const glm::vec3 at = BoardCell(frame.pieceColumn + shape[i], frame.pieceRow + shape[i + 4]);
        if (shown) {
            ExpectFace(picture, at, frame.activeKind);
        } else {
            EXPECT_TRUE(Near(picture.at(at), Black, 0)) << "phase " << frame.phase;
        }
    }
}
} // namespace

TEST_F(RenderTest, NothingButBlackBeforeTheFirstSnapshot) {
    auto isBlack = [](const Picture& p) {
        return std::count(p.rgb.begin(), p.rgb.end(), 0) == static_cast<long>(p.rgb.size());
    };
    GameState frame = EmptyFrame();
    frame.board.fill(PieceO);
    ASSERT_FALSE(isBlack(Draw(frame)));
    SnapshotReady.store(false);
    RenderFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(isBlack(ReadPicture()));
}

TEST_F(RenderTest, SettledBlocksShowTheirKindsFaceInTheirCellInsideTheBand) {
    ExpectBandAroundTheEmptyWell(Draw(EmptyFrame()));

    GameState frame = EmptyFrame();
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        frame.board[cellIndex(kind, 20 - kind)] = kind;
    }
    frame.board[cellIndex(9, 1)] = PieceJ;
    frame.board[cellIndex(5, 0)] = PieceT; // the hidden row
    const Picture picture = Draw(frame);
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        ExpectFace(picture, BoardCell(kind, 20 - kind), kind);
        EXPECT_TRUE(Near(picture.at(BoardCell(kind, 19 - kind)), Black, 0)) << kind;
    }
    ExpectFace(picture, BoardCell(9, 1), PieceJ);
    EXPECT_TRUE(Near(picture.at({0.5f, 11.9f, 0.0f}), Black, 0)) << "row 0 is never shown";
}

TEST_F(RenderTest, TheActivePieceShowsOnlyInThePhasesThatHaveOneAndCoversTheBoard) {
    GameState frame = EmptyFrame();
    frame.activeKind = PieceT;
    frame.pieceColumn = 3;
    frame.pieceRow = 17;
    frame.pieceRotation = 1;
    const auto& shape = pieceShape(PieceT, 1);
    for (int i = 0; i < 4; ++i) {
        frame.board[cellIndex(3 + shape[i], 17 + shape[i + 4])] = PieceI;
    }
    for (Phase phase : {ACTIVE, LOCKFLASH, GAMEOVER}) {
        frame.phase = phase;
        ExpectActivePiece(Draw(frame), frame, true);
    }
    frame.board.fill(NoPiece);
    for (Phase phase : {NONE, READYGO, LINECLEAR, ARE}) {
        frame.phase = phase;
        ExpectActivePiece(Draw(frame), frame, false);
    }
    // Upright, its top cell in the hidden row shows above the band, lightest strip on top.
    frame = EmptyFrame();
    frame.activeKind = PieceI;
    frame.pieceRotation = 1;
    frame.pieceColumn = 3;
    EXPECT_TRUE(Near(Draw(frame).at({0.5f, 11.9f, 0.0f}), RedTopStrip, 12));
}

TEST_F(RenderTest, TheNextPieceShowsRightOfItsLabelUnlessThereIsNone) {
    GameState frame = EmptyFrame();
    for (PieceKind kind = 0; kind < PieceKindCount; ++kind) {
        frame.nextKind = kind;
        const Picture picture = Draw(frame);
        const auto& shape = pieceShape(kind, 0);
        for (int i = 0; i < 4; ++i) {
            ExpectFace(picture, FaceCentreOf(-2.0f + shape[i], 15.0f - shape[i + 4]), kind);
        }
    }
    frame.nextKind = NoPiece;
    const Picture picture = Draw(frame);
    for (float x : {-1.5f, -0.5f, 0.5f, 1.5f}) {
        EXPECT_TRUE(Near(picture.at({x, 13.5f, 0}), Black, 0) &&
                    Near(picture.at({x, 14.5f, 0}), Black, 0));
    }
}

TEST_F(RenderTest, AfterAWiderResizeTheBandStillBordersTheBoard) {
    EXPECT_NEAR(ProjectionMatrix[0][0], 1.8106600f, 1e-6f);
    EXPECT_NEAR(ProjectionMatrix[1][1], 2.4142134f, 1e-6f);
    ResizeViewport(1280, 720);
    EXPECT_NEAR(ProjectionMatrix[1][1] / ProjectionMatrix[0][0], 1280.0f / 720.0f, 1e-5f);
    ExpectBandAroundTheEmptyWell(Draw(EmptyFrame()));

    GameState frame = EmptyFrame();
    frame.board[cellIndex(0, 20)] = PieceS;
    frame.board[cellIndex(9, 1)] = PieceL;
    const Picture picture = Draw(frame);
    EXPECT_EQ(picture.width, 1280);
    ExpectFace(picture, BoardCell(0, 20), PieceS);
    ExpectFace(picture, BoardCell(9, 1), PieceL);

    // A window with no area keeps the last projection.
    const Mat4 before = ProjectionMatrix;
    ResizeViewport(0, 720);
    ResizeViewport(1280, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(ProjectionMatrix, before);
}

TEST_F(RenderTest, AFrameEndsWithTheColoredProgramInUseAndNothingBound) {
    GameState frame = EmptyFrame();
    frame.board[cellIndex(4, 20)] = PieceZ;
    Draw(frame);
    GLint program = 0, vertexArray = -1, buffer = -1, texture = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(static_cast<GLuint>(program), ColoredProgram.program);
    EXPECT_EQ(vertexArray + buffer + texture, 0);
}

TEST(RenderSetUp, StartsTheLogicTimerOnceEverythingIsInPlace) {
    SnapshotReady.store(false);
    InitRenderer();
    ASSERT_NE(LogicTimer, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!SnapshotReady.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(SnapshotReady.load()) << "no tick came within five seconds";
    SDL_RemoveTimer(LogicTimer);
    DestroyRenderObjects();
}
