#version 330 core
// Blocks and glyphs: the transform already holds projection x view x model.
in vec3 vPosition;
in vec2 vTexCoord;
uniform mat4 vTransform;
out vec2 texCoord;

void main() {
    gl_Position = vTransform * vec4(vPosition, 1.0);
    texCoord = vTexCoord;
}
