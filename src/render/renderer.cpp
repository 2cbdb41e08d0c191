// Render set-up and tear-down, and the composition of one frame from the published snapshot.
#include "renderer.h"

#include "gl.h"
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "camera.h"
#include "logic_timer.h"
#include "ranking_panel.h"
#include "shader_program.h"
#include "snapshot.h"
#include "text_display.h"
#include "textures.h"
#include "vertex_buffers.h"
#include "well_words.h"

namespace {
// The frame being drawn: one whole snapshot, copied once so that every read of the frame sees
// the same tick.
GameState Frame;

constexpr int FirstVisibleRow = 1;
// Model origin of the board: the top-left cell of the visible rows has its lower-left corner at
// (-5, 10), so row r sits at y 11 - r.
constexpr glm::vec3 BoardOrigin(-5.0f, 10.0f, 0.0f);
constexpr glm::vec3 NextPieceOrigin(-2.0f, 15.0f, 0.0f);
constexpr glm::vec3 OneColumnRight(1.0f, 0.0f, 0.0f);
constexpr glm::vec3 NextRowStart(-static_cast<float>(BoardColumns), -1.0f, 0.0f);

Mat4 Translation(const glm::vec3& offset) {
    return glm::translate(Mat4(1.0f), offset);
}

bool IsPiece(PieceKind kind) {
    return kind < PieceKindCount;
}

bool ShowsActivePiece(Phase phase) {
    return phase == ACTIVE || phase == LOCKFLASH || phase == GAMEOVER;
}

void DrawBlock() {
    glDrawArrays(GL_TRIANGLES, 0, CubeVertexCount);
}

void DrawNextPiece(const GameState& frame) {
    if (!IsPiece(frame.nextKind)) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, BlockTextures[frame.nextKind]);
    const auto& shape = pieceShape(frame.nextKind, 0);
    for (int i = 0; i < 4; ++i) {
        const glm::vec3 cell(shape[i], -static_cast<float>(shape[i + 4]), 0.0f);
        ModelMatrix = Translation(NextPieceOrigin) * Translation(cell);
        UploadTransform(TexturedProgram.vTransform);
        DrawBlock();
    }
}

void DrawActivePiece(const GameState& frame) {
    if (!ShowsActivePiece(frame.phase) || !IsPiece(frame.activeKind)) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, BlockTextures[frame.activeKind]);
    const auto& shape = pieceShape(frame.activeKind, frame.pieceRotation);
    for (int i = 0; i < 4; ++i) {
        const glm::vec3 cell(static_cast<float>(frame.pieceColumn + shape[i]),
                             static_cast<float>(FirstVisibleRow - (frame.pieceRow + shape[i + 4])),
                             0.0f);
        ModelMatrix = Translation(BoardOrigin) * Translation(cell);
        UploadTransform(TexturedProgram.vTransform);
        DrawBlock();
    }
}

// Every visible cell gets its transform, empty or not; only filled cells bind and draw.
void DrawBoard(const GameState& frame) {
    ModelMatrix = Translation(BoardOrigin);
    for (int row = FirstVisibleRow; row < BoardRows; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            UploadTransform(TexturedProgram.vTransform);
            const PieceKind cell = frame.board[cellIndex(column, row)];
            if (IsPiece(cell)) {
                glBindTexture(GL_TEXTURE_2D, BlockTextures[cell]);
                DrawBlock();
            }
            ModelMatrix = ModelMatrix * Translation(OneColumnRight);
        }
        ModelMatrix = ModelMatrix * Translation(NextRowStart);
    }
}

// Its transform is projection x view, loaded at set-up and on every resize.
void DrawWellFrame() {
    glUseProgram(ColoredProgram.program);
    glBindVertexArray(WellFrameVertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, WellFrameBuffer);
    glVertexAttribPointer(ColoredProgram.vPosition, 3, GL_FLOAT, GL_FALSE, ColoredStride, nullptr);
    glVertexAttribPointer(ColoredProgram.vColor, 4, GL_FLOAT, GL_FALSE, ColoredStride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glEnableVertexAttribArray(ColoredProgram.vPosition);
    glEnableVertexAttribArray(ColoredProgram.vColor);
    glDrawArrays(GL_TRIANGLES, 0, WellFrameVertexCount);
}
} // namespace

void CreateRenderObjects() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glGenVertexArrays(VertexSlotCount, VertexArrays.data());
    glGenBuffers(VertexSlotCount, VertexBuffers.data());
    FillCubeBuffer();

    const ShaderStage texturedStages[2] = {{GL_VERTEX_SHADER, "textured.vert"},
                                           {GL_FRAGMENT_SHADER, "textured.frag"}};
    TexturedProgram.program = LoadShaderProgram(texturedStages);
    glUseProgram(TexturedProgram.program);
    TexturedProgram.vPosition = glGetAttribLocation(TexturedProgram.program, "vPosition");
    TexturedProgram.vTexCoord = glGetAttribLocation(TexturedProgram.program, "vTexCoord");

    CreateBlockTextures();
    // Texture unit 0 is the only one the renderer ever uses.
    glUniform1i(glGetUniformLocation(TexturedProgram.program, "colorMap"), 0);

    FillWellFrameBuffer();

    const ShaderStage coloredStages[2] = {{GL_VERTEX_SHADER, "colored.vert"},
                                          {GL_FRAGMENT_SHADER, "colored.frag"}};
    ColoredProgram.program = LoadShaderProgram(coloredStages);
    ColoredProgram.vPosition = glGetAttribLocation(ColoredProgram.program, "vPosition");
    ColoredProgram.vColor = glGetAttribLocation(ColoredProgram.program, "vColor");

    CreateFontTexture();

    // Every textured draw loads its own transform; the well frame's is projection x view.
    const Mat4 transform = TransformOf(Mat4(1.0f));
    TexturedProgram.vTransform = glGetUniformLocation(TexturedProgram.program, "vTransform");
    ColoredProgram.vTransform = glGetUniformLocation(ColoredProgram.program, "vTransform");
    glUseProgram(ColoredProgram.program);
    glUniformMatrix4fv(ColoredProgram.vTransform, 1, GL_FALSE, glm::value_ptr(transform));

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void InitRenderer() {
    CreateRenderObjects();
    // Last, so that no tick can come before every GL object exists.
    StartLogicTimer();
}

void RenderFrame() {
    if (!WindowDrawable) {
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!CopySnapshot(Frame)) {
        return;
    }
    DrawTextDisplay(Frame);
    DrawRankingPanel(Frame);
    if (WellWords.empty()) {
        BindTexturedGeometry(CubeVertexArray, CubeBuffer);
        DrawNextPiece(Frame);
        DrawActivePiece(Frame);
        DrawBoard(Frame);
    } else {
        DrawWellWords(WellWords);
    }
    DrawWellFrame();
}

const GameState& DrawnFrame() {
    return Frame;
}
