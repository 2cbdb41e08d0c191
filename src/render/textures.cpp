// Uploads the embedded block faces and glyph sheet as textures sampled texel by texel.
#include "textures.h"

#include "block_faces.h"
#include "glyph_sheet.h"

std::array<GLuint, 7> BlockTextures{};
GLuint FontTexture{};

namespace {
// Texels stay sharp squares when magnified, and coordinates past the edge take the edge
// texel, so a character outside the sheet lands on its transparent border columns.
void SetSamplingAndUnpacking() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}
} // namespace

void CreateBlockTextures() {
    glGenTextures(static_cast<GLsizei>(BlockTextures.size()), BlockTextures.data());
    for (std::size_t kind = 0; kind < BlockTextures.size(); ++kind) {
        const BlockFaceImage& face = BlockFaces[kind];
        glBindTexture(GL_TEXTURE_2D, BlockTextures[kind]);
        SetSamplingAndUnpacking();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, static_cast<GLsizei>(face.width),
                     static_cast<GLsizei>(face.height), 0, GL_RGB, GL_UNSIGNED_BYTE,
                     &face.pixels[0]);
    }
}

void CreateFontTexture() {
    glGenTextures(1, &FontTexture);
    glBindTexture(GL_TEXTURE_2D, FontTexture);
    SetSamplingAndUnpacking();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(GlyphSheet.width),
                 static_cast<GLsizei>(GlyphSheet.height), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 &GlyphSheet.pixels[0]);
}
