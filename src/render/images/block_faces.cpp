// Computes the seven block faces at compile time from five tones per kind, so the picture of a
// face lives in one place: the rules below and the table of tones.
#include "block_faces.h"

#include <cstddef>
#include <cstdint>

namespace {

struct Rgb {
    std::uint8_t red, green, blue;
};

struct FaceTones {
    Rgb topStrip;   // the lightest tone, and the top of the left strip
    Rgb fieldTop;   // the inner field's top row, and the bottom of the left strip
    Rgb centre;     // the texel at column 32, row 32 from the bottom left
    Rgb corner;     // the top-right and bottom-left squares, and the inner field's bottom row
    Rgb rightStrip; // the darkest tone, of the right and bottom strips
};

// Indexed by piece kind: I, Z, S, O, T, L, J.
constexpr FaceTones KindTones[7] = {
    {{250, 167, 85}, {254, 122, 7}, {219, 50, 0}, {153, 5, 5}, {112, 0, 5}},         // red
    {{141, 255, 59}, {98, 222, 16}, {67, 170, 9}, {34, 91, 1}, {24, 45, 16}},        // green
    {{255, 83, 255}, {248, 5, 255}, {200, 0, 208}, {108, 1, 108}, {59, 6, 51}},      // magenta
    {{254, 245, 73}, {224, 219, 35}, {188, 171, 23}, {143, 110, 28}, {110, 81, 20}}, // yellow
    {{59, 239, 255}, {25, 197, 222}, {8, 147, 189}, {3, 80, 126}, {4, 58, 62}},      // cyan
    {{254, 192, 98}, {255, 160, 29}, {219, 108, 0}, {138, 60, 0}, {98, 40, 0}},      // orange
    {{81, 183, 254}, {28, 139, 250}, {1, 59, 215}, {8, 7, 123}, {11, 3, 77}},        // blue
};

constexpr int FaceSize = 64;
constexpr int Border = 8;
constexpr int FieldSize = FaceSize - 2 * Border;
// The centre texel is row 32 counted from the bottom, which is row 31 counted from the top.
constexpr int CentreRowFromTop = FaceSize - 1 - FaceSize / 2;

constexpr std::uint8_t mixChannel(std::uint8_t from, std::uint8_t to, int step, int steps) {
    return static_cast<std::uint8_t>((from * (steps - step) + to * step + steps / 2) / steps);
}

// `step` of `steps`: 0 gives `from` and `steps` gives `to` exactly.
constexpr Rgb mix(Rgb from, Rgb to, int step, int steps) {
    return {mixChannel(from.red, to.red, step, steps),
            mixChannel(from.green, to.green, step, steps),
            mixChannel(from.blue, to.blue, step, steps)};
}

// The inner field runs through the centre colour on its way down, so that texel is exact too.
constexpr Rgb innerFieldRow(const FaceTones& tones, int fieldRow) {
    constexpr int centreFieldRow = CentreRowFromTop - Border;
    if (fieldRow <= centreFieldRow) {
        return mix(tones.fieldTop, tones.centre, fieldRow, centreFieldRow);
    }
    return mix(tones.centre, tones.corner, fieldRow - centreFieldRow,
               FieldSize - 1 - centreFieldRow);
}

// Every row of a face is three runs: the left border, the middle and the right border. Seen with
// the top edge up; the corners are square, so the top-left corner belongs to the top strip and the
// bottom-right corner to the dark strips.
struct FaceRow {
    Rgb left, middle, right;
};

constexpr FaceRow faceRow(const FaceTones& tones, int rowFromTop) {
    if (rowFromTop < Border) {
        return {tones.topStrip, tones.topStrip, tones.corner};
    }
    if (rowFromTop >= FaceSize - Border) {
        return {tones.corner, tones.rightStrip, tones.rightStrip};
    }
    const int fieldRow = rowFromTop - Border;
    return {mix(tones.topStrip, tones.fieldTop, fieldRow, FieldSize - 1),
            innerFieldRow(tones, fieldRow), tones.rightStrip};
}

constexpr BlockFaceImage makeFace(const FaceTones& tones) {
    BlockFaceImage face{};
    face.width = FaceSize;
    face.height = FaceSize;
    face.bytesPerPixel = 3;
    for (int rowFromTop = 0; rowFromTop < FaceSize; ++rowFromTop) {
        const FaceRow row = faceRow(tones, rowFromTop);
        const int storedRow = FaceSize - 1 - rowFromTop; // images are stored bottom row first
        std::uint8_t* texel = &face.pixels[storedRow * FaceSize * 3];
        for (int column = 0; column < FaceSize; ++column) {
            const Rgb& colour = column < Border              ? row.left
                                : column < FaceSize - Border ? row.middle
                                                             : row.right;
            *texel++ = colour.red;
            *texel++ = colour.green;
            *texel++ = colour.blue;
        }
    }
    return face;
}

constexpr std::array<BlockFaceImage, 7> makeFaces() {
    std::array<BlockFaceImage, 7> faces{};
    for (std::size_t kind = 0; kind < faces.size(); ++kind) {
        faces[kind] = makeFace(KindTones[kind]);
    }
    return faces;
}

} // namespace

constexpr std::array<BlockFaceImage, 7> BlockFaces = makeFaces();
