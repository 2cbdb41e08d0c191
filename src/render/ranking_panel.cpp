#include "ranking_panel.h"

#include <cstdio>

#include "text_display.h"

RankingOnScreen ShownRanking;

namespace {
// Centiseconds per five frames: a frame lasts 16 ms.
constexpr std::uint64_t CentisecondsPerFiveFrames = 8;
constexpr std::uint64_t CentisecondsPerMinute = 6000;

// The heading at full size, the lines at half: 24 glyphs from x 7 reach x 19, inside the
// 4:3 picture, whose edge at the well's plane lies at x 20.
constexpr float PanelLeft = 7.0f;
constexpr float HeadingY = 9.0f;
constexpr float FirstLineY = 8.0f;
constexpr float LineStep = 1.0f;
constexpr float LineScale = 0.5f;

bool ShowsPanel(Phase phase) {
    return phase == READYGO || phase == GAMEOVER;
}
} // namespace

std::string GameTime(std::uint32_t frames) {
    const std::uint64_t centiseconds = std::uint64_t{frames} * CentisecondsPerFiveFrames / 5;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%02u",
                  static_cast<unsigned>(centiseconds / CentisecondsPerMinute),
                  static_cast<unsigned>(centiseconds % CentisecondsPerMinute / 100),
                  static_cast<unsigned>(centiseconds % 100));
    return text;
}

std::string PanelLine(const RankEntry& entry, bool marked) {
    char text[64];
    std::snprintf(text, sizeof text, "%c%s %7u %3u %7s", marked ? '>' : ' ',
                  GradeName(entry.result.grade), entry.result.score, entry.result.level,
                  GameTime(entry.result.frames).c_str());
    return text;
}

void DrawRankingPanel(const GameState& frame) {
    if (!ShowsPanel(frame.phase)) {
        return;
    }
    DrawText("BEST", PanelLeft, HeadingY, 0.0f, 1.0f);
    for (std::size_t i = 0; i < ShownRanking.entries.size() && i < PanelGames; ++i) {
        const bool marked = static_cast<int>(i) == ShownRanking.marked;
        DrawText(PanelLine(ShownRanking.entries[i], marked).c_str(), PanelLeft,
                 FirstLineY - LineStep * static_cast<float>(i), 0.0f, LineScale);
    }
}
