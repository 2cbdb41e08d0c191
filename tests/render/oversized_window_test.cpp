// A window larger than the GL's largest viewport gets no frame: drawing is what makes the GL
// fit its buffers to the window, and past that size the software rasteriser crashes. Frames
// come again once the window is back within it.
#include "gl_fixture.h"

namespace {

// The picture of the start-up viewport, whatever the viewport is now.
std::vector<unsigned char> StartUpArea() {
    std::vector<unsigned char> rgb(960 * 720 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 960, 720, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

TEST_F(RenderTest, AWindowBeyondTheLargestViewportGetsNoFrameUntilItIsBackWithinIt) {
    GLint largest[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    ASSERT_GT(largest[0], 960);
    ASSERT_GT(largest[1], 720);
    GameState frame = EmptyFrame();
    frame.board[cellIndex(0, 20)] = PieceS;
    Draw(frame);
    const std::vector<unsigned char> drawn = StartUpArea();

    for (const auto& [width, height] : {std::pair{largest[0] + 1, 720},
                                        std::pair{960, largest[1] + 1}, std::pair{32767, 32767}}) {
        ResizeViewport(width, height);
        EXPECT_FALSE(WindowDrawable) << width << " x " << height;
        GameState other = EmptyFrame();
        other.board[cellIndex(9, 1)] = PieceL;
        PublishSnapshot(other);
        RenderFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(StartUpArea() == drawn) << width << " x " << height << " was drawn";
    }

    ResizeViewport(largest[0], largest[1]);
    EXPECT_TRUE(WindowDrawable);
    ResizeViewport(960, 720);
    EXPECT_TRUE(WindowDrawable);
    GameState later = EmptyFrame();
    later.board[cellIndex(9, 1)] = PieceL;
    EXPECT_FALSE(Draw(later).rgb == drawn);
}

} // namespace
