// The text display as a player reads it: each glyph's opaque texels where its line is placed,
// and the black ground where the glyph sheet is transparent.
#include <string>

#include "gl_fixture.h"
#include "glyph_sheet.h"
#include "text_display.h"

namespace {
struct Line {
    std::string text;
    float x, y;
};

void ExpectLines(const Picture& picture, const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        int misdrawn = 0;
        for (std::size_t i = 0; i < line.text.size(); ++i) {
            const int cell = static_cast<unsigned char>(line.text[i]) - 32;
            for (int row = 0; row < 8; ++row) {
                for (int column = 0; column < 8; ++column) {
                    const unsigned char* t =
                        &GlyphSheet.pixels[(row * 512 + cell * 8 + column) * 4];
                    const Rgb expected = t[3] == 255 ? Rgb{t[0], t[1], t[2]} : Black;
                    const glm::vec3 at(line.x + i + (column + 0.5f) / 8, line.y + (row + 0.5f) / 8,
                                       0);
                    misdrawn += Near(picture.at(at), expected, 2) ? 0 : 1;
                }
            }
        }
        EXPECT_EQ(misdrawn, 0) << '"' << line.text << "\" at (" << line.x << ", " << line.y << ")";
    }
}
} // namespace

TEST_F(RenderTest, TheDisplayShowsItsLabelsAndFiguresLeftOfTheWell) {
    GameState frame = EmptyFrame();
    frame.grade = 18;
    frame.score = 1234;
    frame.level = 56;
    frame.frameCount = 7890;
    frame.phase = LOCKFLASH;
    frame.gravityIndex = 12;
    ExpectLines(Draw(frame), {{"NEXT", -6, 13},
                              {"GRADE", -13, 11},
                              {"ZN", -10, 10},
                              {"POINTS", -13, 8},
                              {"   1234", -15, 7},
                              {"LEVEL", -13, 5},
                              {"     56", -15, 4},
                              {"FRAMES", -13, 2},
                              {"   7890", -13, 1},
                              {"PHASE", -17, -1},
                              {"LOCKFLASH", -17, -2},
                              {"INDEX", -17, -4},
                              {"     12", -17, -5}});
}

TEST_F(RenderTest, LongFiguresGrowToTheRightAndUnnamedValuesShowQuestionMarks) {
    GameState frame = EmptyFrame();
    frame.score = 12345678;
    frame.phase = static_cast<Phase>(7);
    frame.gravityIndex = 4294967295u;
    ExpectLines(Draw(frame), {{" 9", -10, 10},
                              {"12345678", -15, 7},
                              {"      0", -15, 4},
                              {"??", -17, -2},
                              {"4294967295", -17, -5}});
    frame.grade = 19;
    ExpectLines(Draw(frame), {{"??", -10, 10}});
}

TEST_F(RenderTest, ACharacterOffTheSheetShowsNothingButTakesItsSquare) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawText("\x7f"
             "A",
             -4, 0, 0, 1);
    DrawText("", 0, 0, 0, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectLines(ReadPicture(), {{" A", -4, 0}});
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
}
