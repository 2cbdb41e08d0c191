// Reads a picture of the Velmora window the way a player reads the screen: the cells of the
// well, the next piece and the text display. It knows the program's fixed camera and where the
// program puts things in the world, projects those places to pixels for the picture's size, and
// recognises block colours and glyph shapes there. It sees the active piece as ordinary cells,
// exactly as it is drawn.
#pragma once

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first, three bytes per pixel

    bool empty() const { return rgb.empty(); }
    Rgb at(int x, int y) const;
};

constexpr int WellColumns = 10;
constexpr int WellRows = 20; // the visible rows 1..20; row 0 is hidden above the well

// Cell readings: the piece kinds 0..6 (I, Z, S, O, T, L, J), and two more.
constexpr int EmptyCell = 7;
constexpr int UnknownCell = 8; // neither a block face nor the background: a torn or broken picture

// The perspective camera of the program for a window of the given size (the viewport fills it).
class Camera {
  public:
    Camera(int width, int height);
    // Window pixel coordinates of a world point, origin at the top-left corner, y downwards.
    glm::vec2 project(glm::vec3 world) const;

  private:
    glm::mat4 transform_;
    int width_;
    int height_;
};

struct ScreenReading {
    // board[row - 1][column] for the rows 1..20 of the well.
    std::array<std::array<int, WellColumns>, WellRows> board{};
    // The preview's cells, [row offset - 1][column offset]: every kind lies in offsets 1..2, 0..3.
    std::array<std::array<int, 4>, 2> nextCells{};
    int nextKind = EmptyCell; // EmptyCell with no preview, UnknownCell when it is not one kind
    std::string grade;        // two characters
    std::string points;       // seven characters or more, right-aligned
    std::string level;
    std::string frames;
    std::string phase; // trailing blanks dropped
    std::string index;
    bool wellFrame = false; // the grey frame is where it belongs around the board
};

// The kind whose block face shows this colour at a face's centre, EmptyCell for the black
// background, UnknownCell for anything else.
int ClassifyBlockColour(Rgb colour);

// The text of `length` glyphs whose first glyph has its lower-left corner at (x, y, 0); an
// unrecognised glyph reads as '?'.
std::string ReadText(const Picture& picture, const Camera& camera, float x, float y, int length);

// The kind of the cell whose block has its lower-left front corner at (x, y, 0).
int ReadCellAt(const Picture& picture, const Camera& camera, float x, float y);

ScreenReading ReadScreen(const Picture& picture);
// The same with the camera of another window size: what a reader that missed a resize sees.
ScreenReading ReadScreen(const Picture& picture, const Camera& camera);

// Whether every pixel is black (or nearly so).
bool IsBlack(const Picture& picture);

// A right-aligned number of the display ("      0" is 0); nothing when the text is not one.
std::optional<unsigned> DisplayedNumber(const std::string& text);

// A cell name for messages: "I", "Z", ..., "." for empty, "?" for unknown.
char CellLetter(int kind);
// The board as 20 lines of 10 letters, for failure messages.
std::string BoardText(const ScreenReading& reading);
// The phase, the frame counter, the next kind and the board, for failure messages.
std::string Describe(const ScreenReading& reading);
