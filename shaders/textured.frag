#version 330 core
// The texel's alpha reaches the blend, so the glyph sheet's transparent ground stays unseen.
in vec2 texCoord;
uniform sampler2D colorMap;
out vec4 fragColor;

void main() {
    fragColor = texture(colorMap, texCoord);
}
