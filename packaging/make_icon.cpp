// Writes the desktop icon (icon_image.h) as a PNG of the size asked for or, asked for the size
// "ico", as a Windows icon file holding the PNGs of the sizes Windows shows.
#include "icon_image.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
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
std::vector<std::uint8_t> encodeIco() {
    const int sizes[] = {16, 32, 48, 256};
    std::vector<std::uint8_t> directory, images;
    appendLittleEndian(directory, 0, 2);
    appendLittleEndian(directory, 1, 2); // an icon, not a cursor
    appendLittleEndian(directory, std::size(sizes), 2);
    const std::size_t imagesStart = 6 + 16 * std::size(sizes);
    for (const int size : sizes) {
        const std::vector<std::uint8_t> image = encodePng(size, IconPixels(size));
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
    if (!icon && (size < 1 || size > IconFullSize)) {
        std::fprintf(stderr, "usage: make_icon <size 1..%d> <file.png> | ico <file.ico>\n",
                     IconFullSize);
        return 2;
    }
    const std::vector<std::uint8_t> bytes = icon ? encodeIco() : encodePng(size, IconPixels(size));
    if (bytes.empty() || !writeFile(argv[2], bytes)) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
