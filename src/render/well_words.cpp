#include "well_words.h"

#include "text_display.h"

std::vector<WellLine> WellWords;

namespace {
constexpr float FirstLineY = 5.0f;
constexpr float LineStep = 1.5f;
} // namespace

float WellLineX(const WellLine& line) {
    return -0.5f * line.scale * static_cast<float>(line.text.size());
}

float WellLineY(std::size_t index) {
    return FirstLineY - LineStep * static_cast<float>(index);
}

std::vector<WellLine> HeadedLines(const std::vector<std::string>& words) {
    std::vector<WellLine> lines;
    for (const std::string& text : words) {
        lines.push_back({text, lines.empty() ? 1.0f : 0.5f});
    }
    return lines;
}

std::vector<WellLine> PauseWords() {
    return HeadedLines({"PAUSE", "ESC/START: RESUME", "F2: KEYS"});
}

void DrawWellWords(const std::vector<WellLine>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        DrawText(lines[i].text.c_str(), WellLineX(lines[i]), WellLineY(i), 0.0f, lines[i].scale);
    }
}
