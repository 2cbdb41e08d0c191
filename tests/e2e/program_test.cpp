// The program from outside: the real binary on an X server of the test's own, played with XTest
// keys and read back from its window's pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "x_play.h"

namespace {
std::string Well(const Picture& picture) {
    return ReadCells(picture, -5, 10, 10, 20);
}
bool InPhase(const Picture& picture, const std::string& phase) {
    return ReadText(picture, -17, -2, 9) == phase + std::string(9 - phase.size(), ' ');
}
const std::string EmptyWell = Well({1, 1, {0}}); // what a black window shows

// The well with the piece that a preview showed, the top left of its box at (column, row).
std::string Place(std::string well, const std::string& preview, int column, int row) {
    for (int cell = 0; cell < 10; ++cell) { // two rows of four cells and a line end
        if (std::isupper(preview[cell])) {
            well[(row + cell / 5) * 11 + column + cell % 5] = preview[cell];
        }
    }
    return well;
}

// Whether the well shows those cells and the piece with its box in the column, as it falls.
bool Falling(const Picture& picture, const std::string& well, const std::string& preview,
             int column) {
    const std::string seen = Well(picture);
    for (int row = 0; row <= 10; ++row) {
        if (seen == Place(well, preview, column, row)) {
            return true;
        }
    }
    return false;
}

// The start, a tap of D, a soft drop to the floor and the next piece, the close button; and what
// the program says on its way. A key is held until its effect shows: a loaded machine may read
// it late.
void PlayThrough(const std::string& command, const std::string& folder, const std::string& err) {
    XPlay game(command, folder);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    EXPECT_EQ(Well(game.last), EmptyWell);
    EXPECT_EQ(FrameBars(game.last), err.empty()) << "the frame's program is built";
    const std::string first = ReadCells(game.last, -2, 14, 4, 2);
    // Past the piece's first frame, which makes no sideways move.
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) > 2; }, 10s));
    EXPECT_TRUE(Falling(game.last, EmptyWell, first, 3)) << first << Well(game.last);
    const std::string second = ReadCells(game.last, -2, 14, 4, 2);

    game.key("d", true);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return Falling(p, EmptyWell, first, 4); }, 10s));
    game.key("d", false);
    const long moved = ReadFrames(game.last);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > moved + 20; }, 10s));
    EXPECT_TRUE(Falling(game.last, EmptyWell, first, 4)) << "one column only\n" << Well(game.last);

    game.key("s", true);
    EXPECT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "LOCKFLASH") || InPhase(p, "ARE"); }, 10s));
    game.key("s", false);
    const std::string floor = Place(EmptyWell, first, 4, first.substr(5) == "....\n" ? 19 : 18);
    EXPECT_TRUE(game.waitFor(
        [&](auto& p) { return InPhase(p, "ACTIVE") && Falling(p, floor, second, 3); }, 10s))
        << second << Well(game.last);

    game.close();
    EXPECT_EQ(game.ended(1s), 0) << "exit status 0, within a second";
    EXPECT_EQ(game.output(".err"), err);
    EXPECT_EQ(game.output(".out").empty(), err.empty()) << "the compile logs, if any";
}

TEST(Program, PlaysThroughFromItsBuildFolder) {
    PlayThrough(VELMORA_PROGRAM, VELMORA_FOLDER, "");
}

TEST(Program, PlaysOnWithBrokenShaderFilesWithoutTheWellFrame) {
    const std::filesystem::path folder = testing::TempDir() + "velmora" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    for (const char* file : {"textured.vert", "textured.frag"}) {
        std::filesystem::copy_file(std::string(VELMORA_SHADERS "/") + file, folder / file);
    }
    std::ofstream(folder / "colored.vert") << "not a shader"; // and colored.frag is missing
    PlayThrough(VELMORA_PROGRAM, folder,
                "\nVertex Shader compilation failed...\n"
                "\nFragment Shader compilation failed...\nLink failed...\n");
    std::filesystem::remove_all(folder);
}
} // namespace
