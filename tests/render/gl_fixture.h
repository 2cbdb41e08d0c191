// What a player would see in a real GL 3.3 core context: pixels read back where world points
// land on the screen through the camera, and a fixture with fresh render objects.
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <ostream>
#include <vector>

#include "camera.h"
#include "renderer.h"
#include "snapshot.h"

struct Rgb {
    int red, green, blue;
};
inline const Rgb Black{0, 0, 0};

inline bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}
inline std::ostream& operator<<(std::ostream& out, Rgb c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

// The viewport's pixels, bottom row first as GL reads them.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    Rgb at(const glm::vec3& world) const {
        const glm::vec3 p =
            glm::project(world, ViewMatrix, ProjectionMatrix, glm::vec4(0.0f, 0.0f, width, height));
        const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
        if (x < 0 || y < 0 || x >= width || y >= height) {
            ADD_FAILURE() << "(" << world.x << ", " << world.y << ") is off the screen";
            return {-1, -1, -1};
        }
        const unsigned char* pixel = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return {pixel[0], pixel[1], pixel[2]};
    }
};

inline Picture ReadPicture() {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    Picture picture{viewport[2], viewport[3], {}};
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

// An empty board and no pieces, in the middle of a game.
inline GameState EmptyFrame() {
    GameState frame;
    frame.board.fill(NoPiece);
    frame.nextKind = frame.activeKind = NoPiece;
    frame.phase = ACTIVE;
    return frame;
}

// Publishes the frame, draws it, checks that GL raised no error and reads the picture back.
inline Picture Draw(const GameState& frame) {
    PublishSnapshot(frame);
    RenderFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return ReadPicture();
}

// Fresh render objects, and the start-up viewport and projection, for every test.
class RenderTest : public testing::Test {
  protected:
    void SetUp() override {
        CreateRenderObjects();
        ResizeViewport(960, 720);
    }
    void TearDown() override {
        DestroyRenderObjects();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};
