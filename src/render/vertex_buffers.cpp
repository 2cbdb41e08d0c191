// The geometry of the scene. The block spans 0..1 in x and y and -1..0 in z, so its front face
// lies in the plane of the text; the frame sits just in front of that plane.
#include "vertex_buffers.h"

#include "shader_program.h"

std::array<GLuint, VertexSlotCount> VertexArrays{};
std::array<GLuint, VertexSlotCount> VertexBuffers{};

namespace {
struct Point {
    float x, y, z;
};

// The corners of one face, named by the texture coordinates they carry.
struct Face {
    Point corner00, corner10, corner01, corner11;
};

constexpr std::array<Face, 6> CubeFaces = {{
    {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}},     // front
    {{0, 0, -1}, {0, 0, 0}, {0, 1, -1}, {0, 1, 0}},   // left
    {{1, 0, 0}, {1, 0, -1}, {1, 1, 0}, {1, 1, -1}},   // right
    {{1, 0, 0}, {0, 0, 0}, {1, 0, -1}, {0, 0, -1}},   // bottom
    {{0, 1, 0}, {1, 1, 0}, {0, 1, -1}, {1, 1, -1}},   // top
    {{1, 0, -1}, {0, 0, -1}, {1, 1, -1}, {0, 1, -1}}, // back
}};

struct GreyVertex {
    float x, y, grey;
};

constexpr float WellFrameDepth = 0.1f;

// Top, right, left and bottom bar. A corner shared by two bars has a grey of each bar's own,
// so every bar is shaded on its own.
constexpr std::array<GreyVertex, WellFrameVertexCount> WellFrameVertices = {{
    {-5.75f, 11.75f, 0.969f}, {-5.0f, 11.0f, 0.518f},   {5.75f, 11.75f, 0.584f},
    {5.75f, 11.75f, 0.584f},  {-5.0f, 11.0f, 0.518f},   {5.0f, 11.0f, 0.396f},
    {5.0f, 11.0f, 0.973f},    {5.0f, -9.0f, 0.506f},    {5.75f, 11.75f, 0.596f},
    {5.75f, 11.75f, 0.596f},  {5.0f, -9.0f, 0.506f},    {5.75f, -9.75f, 0.396f},
    {-5.75f, 11.75f, 0.969f}, {-5.75f, -9.75f, 0.506f}, {-5.0f, 11.0f, 0.596f},
    {-5.0f, 11.0f, 0.596f},   {-5.75f, -9.75f, 0.506f}, {-5.0f, -9.0f, 0.396f},
    {-5.0f, -9.0f, 0.969f},   {-5.75f, -9.75f, 0.518f}, {5.0f, -9.0f, 0.584f},
    {5.0f, -9.0f, 0.584f},    {-5.75f, -9.75f, 0.518f}, {5.75f, -9.75f, 0.396f},
}};
} // namespace

void FillCubeBuffer() {
    glBindVertexArray(CubeVertexArray);
    std::array<float, CubeVertexCount * 5> vertices{};
    std::size_t next = 0;
    for (const Face& face : CubeFaces) {
        // Two triangles per face, corners (1,1) (0,0) (1,0) and (1,1) (0,1) (0,0).
        const struct {
            const Point& at;
            float u, v;
        } corners[6] = {{face.corner11, 1, 1}, {face.corner00, 0, 0}, {face.corner10, 1, 0},
                        {face.corner11, 1, 1}, {face.corner01, 0, 1}, {face.corner00, 0, 0}};
        for (const auto& corner : corners) {
            vertices[next++] = corner.at.x;
            vertices[next++] = corner.at.y;
            vertices[next++] = corner.at.z;
            vertices[next++] = corner.u;
            vertices[next++] = corner.v;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, CubeBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices.data(), GL_STATIC_DRAW);
}

void FillWellFrameBuffer() {
    glBindVertexArray(WellFrameVertexArray);
    std::array<float, WellFrameVertexCount * 7> vertices{};
    std::size_t next = 0;
    for (const GreyVertex& vertex : WellFrameVertices) {
        const float opaque = 1.0f;
        for (float value :
             {vertex.x, vertex.y, WellFrameDepth, vertex.grey, vertex.grey, vertex.grey, opaque}) {
            vertices[next++] = value;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, WellFrameBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices.data(), GL_STATIC_DRAW);
}

void BindTexturedGeometry(GLuint vertexArray, GLuint buffer) {
    glUseProgram(TexturedProgram.program);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(TexturedProgram.vPosition, 3, GL_FLOAT, GL_FALSE, TexturedStride,
                          nullptr);
    glVertexAttribPointer(TexturedProgram.vTexCoord, 2, GL_FLOAT, GL_FALSE, TexturedStride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glEnableVertexAttribArray(TexturedProgram.vPosition);
    glEnableVertexAttribArray(TexturedProgram.vTexCoord);
}
