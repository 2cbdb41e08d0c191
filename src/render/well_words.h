// Words shown in the well in place of the game: while it is paused, and while its keys are
// chosen. The well's cells, the falling piece and the next piece are not drawn then, so that a
// pause is no time to study the stack; the frame and the text display stay.
#pragma once

#include <string>
#include <vector>

struct WellLine {
    std::string text;
    float scale = 1.0f; // the side of a glyph in cells
};

// Main thread only; none while the game is played.
extern std::vector<WellLine> WellWords;

// The lower-left corner of the first glyph of line `index`: centred across the well, a line and a
// half below the one before, the first at y 5.
float WellLineX(const WellLine& line);
float WellLineY(std::size_t index);

// A heading at scale 1, and the lines under it at half that.
std::vector<WellLine> HeadedLines(const std::vector<std::string>& words);

// The words of the paused game: "PAUSE", and the keys that resume and that open the key settings.
std::vector<WellLine> PauseWords();

void DrawWellWords(const std::vector<WellLine>& lines);
