// The program from outside: the real binary in an X server of its own, played with XTest keys
// and read back from its window's pixels.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "x_play.h"

namespace {
using namespace std::chrono_literals;

const std::string EmptyBoard = [] {
    std::string board;
    for (int row = 1; row <= 20; ++row) {
        board += "..........\n";
    }
    return board;
}();

// The board with the piece whose cells the preview showed placed with its box at (column, row).
std::string Place(std::string board, const std::string& piece, int column, int row) {
    for (int cell = 0; cell < 8; ++cell) {
        if (piece[cell] != '.') {
            board[(row + cell / 4) * 11 + column + cell % 4] = piece[cell];
        }
    }
    return board;
}

// The settled cells and the piece in its box's column, at whatever row it has fallen to.
bool Shows(const Picture& picture, const std::string& settled, const std::string& piece,
           int column) {
    const std::string board = ReadBoard(picture);
    for (int row = 0; row <= 10; ++row) {
        if (board == Place(settled, piece, column, row)) {
            return true;
        }
    }
    return false;
}

bool InPhase(const Picture& picture, const char* phase) {
    return ReadPhase(picture) == phase;
}

// The lead-up, a tap of D, a soft drop to the floor and the next piece, and the close button.
// Keys are held until their effect shows: a loaded machine may read them late.
void PlayThrough(const std::string& command, const std::string& folder) {
    XPlay game(command, folder);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    EXPECT_EQ(ReadBoard(game.last), EmptyBoard);
    EXPECT_TRUE(FrameBars(game.last));
    const std::string first = ReadPreview(game.last);
    // Past the piece's first frame, in which no sideways move is made.
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) > 2; }, 10s));
    EXPECT_TRUE(Shows(game.last, EmptyBoard, first, 3)) << first << '\n' << ReadBoard(game.last);
    const std::string second = ReadPreview(game.last);

    game.key("d", true);
    const bool moved = game.waitFor([&](auto& p) { return Shows(p, EmptyBoard, first, 4); }, 10s);
    game.key("d", false);
    ASSERT_TRUE(moved) << ReadBoard(game.last);
    const long frames = ReadFrames(game.last);
    ASSERT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > frames + 20; }, 10s));
    EXPECT_TRUE(Shows(game.last, EmptyBoard, first, 4)) << "one column only\n"
                                                        << ReadBoard(game.last);

    game.key("s", true);
    const bool locked =
        game.waitFor([](auto& p) { return InPhase(p, "LOCKFLASH") || InPhase(p, "ARE"); }, 10s);
    game.key("s", false);
    ASSERT_TRUE(locked) << ReadBoard(game.last);
    const std::string floor = Place(EmptyBoard, first, 4, first.substr(4) == "...." ? 19 : 18);
    EXPECT_TRUE(game.waitFor(
        [&](auto& p) { return InPhase(p, "ACTIVE") && Shows(p, floor, second, 3); }, 10s))
        << second << '\n'
        << ReadBoard(game.last);

    game.close();
    EXPECT_EQ(game.exitStatus(1s), 0);
    EXPECT_EQ(game.output(".out") + game.output(".err"), "");
}

TEST(Program, PlaysThroughFromItsBuildFolder) {
    PlayThrough(VELMORA_PROGRAM, VELMORA_FOLDER);
}

TEST(Program, ReportsBrokenShaderFilesAndPlaysOnWithoutTheWellFrame) {
    struct Folder {
        std::filesystem::path path = "/tmp/velmora-shaders-" + std::to_string(getpid());
        ~Folder() { std::filesystem::remove_all(path); }
    } folder;
    std::filesystem::create_directories(folder.path);
    for (const char* file : {"textured.vert", "textured.frag"}) {
        std::filesystem::copy_file(std::string(VELMORA_SHADERS "/") + file, folder.path / file);
    }
    std::ofstream(folder.path / "colored.vert") << "not a shader"; // and colored.frag is missing
    XPlay game(VELMORA_PROGRAM, folder.path);
    ASSERT_TRUE(game.waitFor([](auto& p) { return ReadFrames(p) > 0; }, 30s));
    const long frames = ReadFrames(game.last);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > frames + 10; }, 10s));
    EXPECT_FALSE(FrameBars(game.last));
    game.close();
    EXPECT_EQ(game.exitStatus(1s), 0);
    EXPECT_EQ(game.output(".err"), "\nVertex Shader compilation failed...\n"
                                   "\nFragment Shader compilation failed...\nLink failed...\n");
    EXPECT_NE(game.output(".out"), "") << "the compile logs";
}
} // namespace
