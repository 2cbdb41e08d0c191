#include "screen_reader.h"

#include "glyph_sheet.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <bitset>
#include <cmath>

namespace {

// The colour at the centre of each kind's block face, kinds 0..6.
constexpr std::array<Rgb, 7> CentreColours = {{{219, 50, 0},
                                               {67, 170, 9},
                                               {200, 0, 208},
                                               {188, 171, 23},
                                               {8, 147, 189},
                                               {219, 108, 0},
                                               {1, 59, 215}}};

// Half the distance between the two closest centre colours (red and orange, 58 apart), so a
// colour near one of them can never be taken for the other.
constexpr int BlockColourTolerance = 28;
constexpr int BlackLimit = 24;
// Glyph faces are bright and their shadow is violet (58, 0, 156); the background is black.
constexpr int GlyphInkLimit = 40;
constexpr int GlyphMismatchesAllowed = 1;

constexpr float CameraDistance = 36.21f;

using GlyphPattern = std::bitset<64>; // bit ty * 8 + tx, ty = 0 the glyph's bottom row

int Difference(Rgb a, Rgb b) {
    const int dr = a.r - b.r;
    const int dg = a.g - b.g;
    const int db = a.b - b.b;
    return static_cast<int>(std::lround(std::sqrt(dr * dr + dg * dg + db * db)));
}

int Brightest(Rgb colour) {
    return std::max({colour.r, colour.g, colour.b});
}

Rgb SampleAt(const Picture& picture, const Camera& camera, glm::vec3 world) {
    const glm::vec2 pixel = camera.project(world);
    const int x = static_cast<int>(std::floor(pixel.x));
    const int y = static_cast<int>(std::floor(pixel.y));
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
        return {-1, -1, -1};
    }
    return picture.at(x, y);
}

// The program's own glyph sheet, rows stored bottom first, alpha 0 or 255.
const std::array<GlyphPattern, GlyphCount>& SheetPatterns() {
    static const std::array<GlyphPattern, GlyphCount> patterns = [] {
        std::array<GlyphPattern, GlyphCount> built{};
        for (int glyph = 0; glyph < GlyphCount; ++glyph) {
            for (int ty = 0; ty < GlyphSize; ++ty) {
                for (int tx = 0; tx < GlyphSize; ++tx) {
                    const std::size_t pixel =
                        static_cast<std::size_t>(ty) * GlyphSheet.width + glyph * GlyphSize + tx;
                    built[glyph][ty * 8 + tx] = GlyphSheet.pixels[pixel * 4 + 3] > 127;
                }
            }
        }
        return built;
    }();
    return patterns;
}

char MatchGlyph(const GlyphPattern& seen) {
    const auto& patterns = SheetPatterns();
    std::size_t best = 65;
    char bestCode = '?';
    for (int glyph = 0; glyph < GlyphCount; ++glyph) {
        const std::size_t mismatches = (patterns[glyph] ^ seen).count();
        if (mismatches < best) { // the lowest code wins a tie: blank cells read as space
            best = mismatches;
            bestCode = static_cast<char>(FirstGlyphCode + glyph);
        }
    }
    return best <= GlyphMismatchesAllowed ? bestCode : '?';
}

bool IsGrey(Rgb colour) {
    return std::abs(colour.r - colour.g) <= 8 && std::abs(colour.g - colour.b) <= 8 &&
           colour.r >= 60;
}

bool IsDark(Rgb colour) {
    return colour.r >= 0 && Brightest(colour) <= BlackLimit;
}

// The four bars in their middles and the black beyond them on both sides.
bool SeesWellFrame(const Picture& picture, const Camera& camera) {
    const glm::vec3 bars[] = {{0.0f, 11.375f, 0.1f},    {0.0f, -9.375f, 0.1f},
                              {-5.375f, 1.0f, 0.1f},    {5.375f, 1.0f, 0.1f},
                              {-5.375f, 11.375f, 0.1f}, {5.375f, -9.375f, 0.1f}};
    for (const glm::vec3& bar : bars) {
        if (!IsGrey(SampleAt(picture, camera, bar))) {
            return false;
        }
    }
    const glm::vec3 beyond[] = {{-6.25f, -3.5f, 0.0f}, {6.25f, -3.5f, 0.0f}, {0.0f, -10.25f, 0.0f}};
    for (const glm::vec3& point : beyond) {
        if (!IsDark(SampleAt(picture, camera, point))) {
            return false;
        }
    }
    return true;
}

std::string ReadNumber(const Picture& picture, const Camera& camera, float x, float y) {
    std::string text = ReadText(picture, camera, x, y, 7);
    // Eight digits or more extend the text to the right.
    while (text.size() < 9) {
        const std::string more =
            ReadText(picture, camera, x + static_cast<float>(text.size()), y, 1);
        if (more[0] < '0' || more[0] > '9') {
            break;
        }
        text += more;
    }
    return text;
}

} // namespace

Rgb Picture::at(int x, int y) const {
    const std::size_t offset = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
}

Camera::Camera(int width, int height) : width_(width), height_(height) {
    const glm::mat4 projection = glm::perspective(
        glm::radians(45.0f), static_cast<float>(width) / static_cast<float>(height), 0.1f, 1000.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 0.0f, CameraDistance), glm::vec3(0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    transform_ = projection * view;
}

glm::vec2 Camera::project(glm::vec3 world) const {
    const glm::vec4 clip = transform_ * glm::vec4(world, 1.0f);
    const float ndcX = clip.x / clip.w;
    const float ndcY = clip.y / clip.w;
    return {(ndcX + 1.0f) * 0.5f * static_cast<float>(width_),
            (1.0f - ndcY) * 0.5f * static_cast<float>(height_)};
}

int ClassifyBlockColour(Rgb colour) {
    if (colour.r < 0) {
        return UnknownCell;
    }
    if (Brightest(colour) <= BlackLimit) {
        return EmptyCell;
    }
    for (int kind = 0; kind < 7; ++kind) {
        if (Difference(colour, CentreColours[kind]) <= BlockColourTolerance) {
            return kind;
        }
    }
    return UnknownCell;
}

int ReadCellAt(const Picture& picture, const Camera& camera, float x, float y) {
    return ClassifyBlockColour(SampleAt(picture, camera, {x + 0.5f, y + 0.5f, 0.0f}));
}

std::string ReadText(const Picture& picture, const Camera& camera, float x, float y, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        GlyphPattern seen;
        for (int ty = 0; ty < GlyphSize; ++ty) {
            for (int tx = 0; tx < GlyphSize; ++tx) {
                const glm::vec3 texelCentre(x + static_cast<float>(i) + (tx + 0.5f) / GlyphSize,
                                            y + (ty + 0.5f) / GlyphSize, 0.0f);
                seen[ty * 8 + tx] =
                    Brightest(SampleAt(picture, camera, texelCentre)) > GlyphInkLimit;
            }
        }
        text += MatchGlyph(seen);
    }
    return text;
}

ScreenReading ReadScreen(const Picture& picture) {
    return ReadScreen(picture, Camera(picture.width, picture.height));
}

ScreenReading ReadScreen(const Picture& picture, const Camera& camera) {
    ScreenReading reading;
    for (int row = 1; row <= WellRows; ++row) {
        for (int column = 0; column < WellColumns; ++column) {
            reading.board[row - 1][column] =
                ReadCellAt(picture, camera, -5.0f + column, 11.0f - row);
        }
    }
    std::vector<int> previewKinds;
    for (int rowOffset = 1; rowOffset <= 2; ++rowOffset) {
        for (int columnOffset = 0; columnOffset < 4; ++columnOffset) {
            const int kind = ReadCellAt(picture, camera, -2.0f + columnOffset, 15.0f - rowOffset);
            reading.nextCells[rowOffset - 1][columnOffset] = kind;
            if (kind != EmptyCell) {
                previewKinds.push_back(kind);
            }
        }
    }
    if (!previewKinds.empty()) {
        const bool oneKind = std::all_of(previewKinds.begin(), previewKinds.end(),
                                         [&](int kind) { return kind == previewKinds[0]; });
        reading.nextKind = oneKind ? previewKinds[0] : UnknownCell;
    }
    reading.grade = ReadText(picture, camera, -10.0f, 10.0f, 2);
    reading.points = ReadNumber(picture, camera, -15.0f, 7.0f);
    reading.level = ReadNumber(picture, camera, -15.0f, 4.0f);
    reading.frames = ReadNumber(picture, camera, -13.0f, 1.0f);
    reading.phase = ReadText(picture, camera, -17.0f, -2.0f, 9);
    reading.phase.erase(reading.phase.find_last_not_of(' ') + 1);
    reading.index = ReadNumber(picture, camera, -17.0f, -5.0f);
    reading.wellFrame = SeesWellFrame(picture, camera);
    return reading;
}

bool IsBlack(const Picture& picture) {
    if (picture.empty()) {
        return false;
    }
    return std::all_of(picture.rgb.begin(), picture.rgb.end(),
                       [](std::uint8_t channel) { return channel <= BlackLimit; });
}

std::optional<unsigned> DisplayedNumber(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (text.size() < 7 || first == std::string::npos) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

char CellLetter(int kind) {
    static const char letters[] = "IZSOTLJ.?";
    return kind >= 0 && kind <= UnknownCell ? letters[kind] : '?';
}

std::string Describe(const ScreenReading& reading) {
    return "phase '" + reading.phase + "' frames '" + reading.frames + "' next " +
           CellLetter(reading.nextKind) + "\n" + BoardText(reading);
}

std::string BoardText(const ScreenReading& reading) {
    std::string text;
    for (const auto& row : reading.board) {
        for (int cell : row) {
            text += CellLetter(cell);
        }
        text += '\n';
    }
    return text;
}
