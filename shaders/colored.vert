#version 330 core
// The well frame, in world coordinates: the transform is projection x view.
in vec3 vPosition;
in vec4 vColor;
uniform mat4 vTransform;
out vec4 color;

void main() {
    gl_Position = vTransform * vec4(vPosition, 1.0);
    color = vColor;
}
