// The camera matrices and the resize procedure that keeps them in step with the window.
#include "camera.h"

#include <array>

#include "gl.h"
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "shader_program.h"

namespace {
constexpr float FieldOfViewDegrees = 45.0f;
constexpr float NearPlane = 0.1f;
constexpr float FarPlane = 1000.0f;
// From here the plane of the blocks' front faces shows y from about -15 to +15.
constexpr float EyeDistance = 36.21f;
} // namespace

Mat4 PerspectiveFor(int width, int height) {
    return glm::perspective(glm::radians(FieldOfViewDegrees),
                            static_cast<float>(width) / static_cast<float>(height), NearPlane,
                            FarPlane);
}

Mat4 ProjectionMatrix = PerspectiveFor(StartWidth, StartHeight);
Mat4 ViewMatrix = glm::lookAt(glm::vec3(0.0f, 0.0f, EyeDistance), glm::vec3(0.0f, 0.0f, 0.0f),
                              glm::vec3(0.0f, 1.0f, 0.0f));
Mat4 ModelMatrix = Mat4(1.0f);
bool WindowDrawable = true;

void UploadTransform(int location) {
    const Mat4 transform = TransformOf(ModelMatrix);
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(transform));
}

void ResizeViewport(int width, int height) {
    glViewport(0, 0, width, height);
    // Drawing makes the GL size its buffers to the window. Mesa's software rasteriser has none
    // beyond its largest viewport, and near 32767 by 32767, where a buffer passes 4 GiB, it
    // crashes rather than failing. Nothing past that viewport could be shown anyway.
    std::array<GLint, 2> largest{};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest.data());
    WindowDrawable = width <= largest[0] && height <= largest[1];
    // A minimised or collapsed window has no aspect; keep the last projection until it has.
    if (width <= 0 || height <= 0) {
        return;
    }
    ProjectionMatrix = PerspectiveFor(width, height);

    glUseProgram(TexturedProgram.program);
    UploadTransform(TexturedProgram.vTransform);

    // The well frame is in world coordinates: its program never gets a model transform.
    const Mat4 transform = TransformOf(Mat4(1.0f));
    glUseProgram(ColoredProgram.program);
    glUniformMatrix4fv(ColoredProgram.vTransform, 1, GL_FALSE, glm::value_ptr(transform));
}
