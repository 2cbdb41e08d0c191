// Writes the desktop icon (icon_image.h) as a PNG of the size asked for.
#include "icon_image.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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

// An 8-bit RGB PNG: every row unfiltered (filter byte 0), deflated whole.
bool writePng(const char* path, int size, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + y * size * 3, rgb.begin() + (y + 1) * size * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return false;
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

    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char* argv[]) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 1 || size > IconFullSize) {
        std::fprintf(stderr, "usage: make_icon <size 1..%d> <file.png>\n", IconFullSize);
        return 2;
    }
    if (!writePng(argv[2], size, IconPixels(size))) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
