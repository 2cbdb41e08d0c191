// Glyphs are cut from the one-row glyph sheet by their texture coordinates alone; each
// character refills the glyph quad and draws it one square further right.
#include "text_display.h"

#include "gl.h"
#include <glm/gtc/matrix_transform.hpp>

#include <cstdio>

#include "camera.h"
#include "shader_program.h"
#include "textures.h"
#include "vertex_buffers.h"

namespace {
constexpr int FirstSheetCode = 32;
constexpr float GlyphTexels = 8.0f;
constexpr float SheetTexelWidth = 1.0f / 512.0f;
constexpr std::size_t GlyphFloats = 5;

// The unit square of the block's front face, in the same triangle order; only u changes, and
// SetGlyphColumns sets it for each glyph before it is drawn.
constexpr float UnsetU = 0.0f;
std::array<float, GlyphVertexCount* GlyphFloats> GlyphQuad = {
    1, 1, 0, UnsetU, 1, //
    0, 0, 0, UnsetU, 0, //
    1, 0, 0, UnsetU, 0, //
    1, 1, 0, UnsetU, 1, //
    0, 1, 0, UnsetU, 1, //
    0, 0, 0, UnsetU, 0, //
};

void SetGlyphColumns(float u0, float u1) {
    constexpr std::size_t U = 3;
    GlyphQuad[0 * GlyphFloats + U] = u1;
    GlyphQuad[1 * GlyphFloats + U] = u0;
    GlyphQuad[2 * GlyphFloats + U] = u1;
    GlyphQuad[3 * GlyphFloats + U] = u1;
    GlyphQuad[4 * GlyphFloats + U] = u0;
    GlyphQuad[5 * GlyphFloats + U] = u0;
}

struct Placement {
    float x, y;
};

constexpr Placement NextLabelAt{-6, 13};
constexpr Placement GradeLabelAt{-13, 11};
constexpr Placement GradeAt{-10, 10};
constexpr Placement PointsLabelAt{-13, 8};
constexpr Placement PointsAt{-15, 7};
constexpr Placement LevelLabelAt{-13, 5};
constexpr Placement LevelAt{-15, 4};
constexpr Placement FramesLabelAt{-13, 2};
constexpr Placement FramesAt{-13, 1};
constexpr Placement PhaseLabelAt{-17, -1};
constexpr Placement PhaseAt{-17, -2};
constexpr Placement IndexLabelAt{-17, -4};
constexpr Placement IndexAt{-17, -5};

void DrawLine(const char* text, Placement at) {
    DrawText(text, at.x, at.y, 0.0f, 1.0f);
}
} // namespace

const char* GradeName(std::uint32_t grade) {
    return grade < GradeNames.size() ? GradeNames[grade] : UnknownName;
}

const char* PhaseName(std::uint32_t phase) {
    return phase < PhaseNames.size() ? PhaseNames[phase] : UnknownName;
}

void DrawText(const char* text, float x, float y, float z, float scale) {
    BindTexturedGeometry(GlyphVertexArray, GlyphBuffer);
    glBindTexture(GL_TEXTURE_2D, FontTexture);

    ModelMatrix = glm::translate(Mat4(1.0f), glm::vec3(x, y, z));
    ModelMatrix = glm::scale(ModelMatrix, glm::vec3(scale, scale, 1.0f));
    UploadTransform(TexturedProgram.vTransform);

    for (const char* c = text; *c != '\0'; ++c) {
        // Codes outside the sheet give coordinates past its edges, which clamp to its
        // transparent border columns: such a character shows nothing but still takes a square.
        const int glyph = static_cast<signed char>(*c) - FirstSheetCode;
        SetGlyphColumns(static_cast<float>(glyph) * GlyphTexels * SheetTexelWidth,
                        static_cast<float>(glyph + 1) * GlyphTexels * SheetTexelWidth);
        glBufferData(GL_ARRAY_BUFFER, sizeof GlyphQuad, GlyphQuad.data(), GL_STATIC_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, GlyphVertexCount);

        ModelMatrix = glm::translate(ModelMatrix, glm::vec3(1.0f, 0.0f, 0.0f));
        UploadTransform(TexturedProgram.vTransform);
    }
}

void DrawTextDisplay(const GameState& frame) {
    char number[64];

    DrawLine("NEXT", NextLabelAt);
    DrawLine("GRADE", GradeLabelAt);
    DrawLine(GradeName(frame.grade), GradeAt);
    DrawLine("POINTS", PointsLabelAt);
    std::snprintf(number, sizeof number, "%7u", frame.score);
    DrawLine(number, PointsAt);
    DrawLine("LEVEL", LevelLabelAt);
    std::snprintf(number, sizeof number, "%7u", frame.level);
    DrawLine(number, LevelAt);
    DrawLine("FRAMES", FramesLabelAt);
    std::snprintf(number, sizeof number, "%7u", frame.frameCount);
    DrawLine(number, FramesAt);
    DrawLine("PHASE", PhaseLabelAt);
    DrawLine(PhaseName(frame.phase), PhaseAt);
    DrawLine("INDEX", IndexLabelAt);
    std::snprintf(number, sizeof number, "%7lu", static_cast<unsigned long>(frame.gravityIndex));
    DrawLine(number, IndexAt);
}
