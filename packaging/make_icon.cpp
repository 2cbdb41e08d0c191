// Writes the desktop icon as a PNG of the size asked for: four pieces of the game stacked into a
// square of 4 by 4 cells, each cell one of the block faces the game draws. At 256 pixels every
// cell is its 64 by 64 face as it is; smaller sizes average the pixels each output pixel covers.
// Asked for the size "ico", it writes a Windows icon file holding the PNGs of the sizes Windows
// shows.
#include "block_faces.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

constexpr int Cells = 4;
constexpr int CellSize = 64;
constexpr int FullSize = Cells * CellSize;

// Piece kinds, rows top to bottom: a Z, an L and a J resting on an I (green, orange, blue, red).
constexpr int Layout[Cells][Cells] = {
    {1, 1, 5, 5},
    {6, 1, 1, 5},
    {6, 6, 6, 5},
    {0, 0, 0, 0},
};

using Image = std::vector<double>; // RGB, rows top to bottom

Image fullSizeIcon() {
    Image image(FullSize * FullSize * 3);
    for (int y = 0; y < FullSize; ++y) {
        for (int x = 0; x < FullSize; ++x) {
            const BlockFaceImage& face = BlockFaces[Layout[y / CellSize][x / CellSize]];
            const int storedRow = CellSize - 1 - y % CellSize; // faces are stored bottom row first
            const std::uint8_t* texel = &face.pixels[(storedRow * CellSize + x % CellSize) * 3];
            for (int channel = 0; channel < 3; ++channel) {
                image[(y * FullSize + x) * 3 + channel] = texel[channel];
            }
        }
    }
    return image;
}

// weights[out * FullSize + in]: how much of input pixel `in` lies under output pixel `out`,
// as a share of the output pixel's width.
std::vector<double> areaWeights(int size) {
    const double scale = static_cast<double>(FullSize) / size;
    std::vector<double> weights(static_cast<std::size_t>(size) * FullSize, 0.0);
    for (int out = 0; out < size; ++out) {
        const double from = out * scale;
        const double to = from + scale;
        for (int in = static_cast<int>(from); in < FullSize && in < to; ++in) {
            const double covered = std::min<double>(in + 1, to) - std::max<double>(in, from);
            weights[out * FullSize + in] = covered / scale;
        }
    }
    return weights;
}

std::vector<std::uint8_t> scaledRgb(const Image& full, int size) {
    const std::vector<double> weights = areaWeights(size);
    Image rows(static_cast<std::size_t>(FullSize) * size * 3, 0.0); // columns scaled first
    for (int y = 0; y < FullSize; ++y) {
        for (int x = 0; x < size; ++x) {
            for (int in = 0; in < FullSize; ++in) {
                for (int channel = 0; channel < 3; ++channel) {
                    rows[(y * size + x) * 3 + channel] +=
                        weights[x * FullSize + in] * full[(y * FullSize + in) * 3 + channel];
                }
            }
        }
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size) * size * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                double sum = 0.0;
                for (int in = 0; in < FullSize; ++in) {
                    sum += weights[y * FullSize + in] * rows[(in * size + x) * 3 + channel];
                }
                pixels[(y * size + x) * 3 + channel] = static_cast<std::uint8_t>(sum + 0.5);
            }
        }
    }
    return pixels;
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void appendChunk(std::vector<std::uint8_t>& png, const char* type,
                 const std::vector<std::uint8_t>& data) {
    appendBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, &png[typeStart], static_cast<uInt>(png.size() - typeStart));
    appendBigEndian(png, static_cast<std::uint32_t>(crc));
}

// An 8-bit RGB PNG: every row unfiltered (filter byte 0), deflated whole; empty when deflating
// fails.
std::vector<std::uint8_t> encodePng(int size, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + y * size * 3, rgb.begin() + (y + 1) * size * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::vector<std::uint8_t> header;
    appendBigEndian(header, static_cast<std::uint32_t>(size));
    appendBigEndian(header, static_cast<std::uint32_t>(size));
    // Bit depth 8, colour type RGB, deflate, no filter method, no interlace.
    header.insert(header.end(), {8, 2, 0, 0, 0});

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

void appendLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int byte = 0; byte < bytes; ++byte) {
        out.push_back(static_cast<std::uint8_t>(value >> byte * 8));
    }
}

// An icon file: a header, a directory entry for each image, then the images, here PNGs, which
// Windows takes in icons since Vista. A width or height of 256 is written as 0.
std::vector<std::uint8_t> encodeIco(const Image& full) {
    const int sizes[] = {16, 32, 48, 256};
    std::vector<std::uint8_t> directory, images;
    appendLittleEndian(directory, 0, 2);
    appendLittleEndian(directory, 1, 2); // an icon, not a cursor
    appendLittleEndian(directory, std::size(sizes), 2);
    const std::size_t imagesStart = 6 + 16 * std::size(sizes);
    for (const int size : sizes) {
        const std::vector<std::uint8_t> image = encodePng(size, scaledRgb(full, size));
        if (image.empty()) {
            return {};
        }
        directory.insert(directory.end(), {static_cast<std::uint8_t>(size % 256),
                                           static_cast<std::uint8_t>(size % 256), 0, 0});
        appendLittleEndian(directory, 1, 2);  // colour planes
        appendLittleEndian(directory, 24, 2); // bits per pixel
        appendLittleEndian(directory, static_cast<std::uint32_t>(image.size()), 4);
        appendLittleEndian(directory, static_cast<std::uint32_t>(imagesStart + images.size()), 4);
        images.insert(images.end(), image.begin(), image.end());
    }
    directory.insert(directory.end(), images.begin(), images.end());
    return directory;
}

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool icon = argc == 3 && std::strcmp(argv[1], "ico") == 0;
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (!icon && (size < 1 || size > FullSize)) {
        std::fprintf(stderr, "usage: make_icon <size 1..%d> <file.png> | ico <file.ico>\n",
                     FullSize);
        return 2;
    }
    const std::vector<std::uint8_t> bytes =
        icon ? encodeIco(fullSizeIcon()) : encodePng(size, scaledRgb(fullSizeIcon(), size));
    if (bytes.empty() || !writeFile(argv[2], bytes)) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
