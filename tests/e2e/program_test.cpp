// The program from outside: the real binary on an X server of the test's own, played with XTest
// keys and read back from its window's pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "x_play.h"

// Whether the piece that a preview showed stands with its box's top left in the column, at any
// row down to 10 as it falls, and the well holds so many cells in all.
static bool Falling(const Picture& picture, const std::string& preview, int column, long cells) {
    for (int row = 0; row <= 10; ++row) {
        if (ReadCells(picture, column - 5.0f, 10.0f - row, 4, 2) == preview) {
            return CellsInTheWell(picture) == cells;
        }
    }
    return false;
}

// The start, a tap of D, a soft drop to the floor and the next piece, the close button; and what
// the program says on its way, and the window's class and icon where a class is given. A key is
// held until its effect shows: a loaded machine may read it late.
static void PlayThrough(const std::string& command, const std::string& folder,
                        const std::string& err, const std::string& windowClass) {
    XPlay game(command, folder);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    char* title = nullptr;
    XFetchName(game.x, game.window, &title);
    EXPECT_STREQ(title, "Velmora");
    XFree(title);
    if (!windowClass.empty()) {
        XClassHint names{};
        ASSERT_TRUE(XGetClassHint(game.x, game.window, &names));
        EXPECT_EQ(names.res_name + (" " + std::string(names.res_class)),
                  windowClass + " " + windowClass);
        XFree(names.res_name);
        XFree(names.res_class);
        // The icon, 64 pixels square in cells of 16: a Z at the top left, an L at the top right, a
        // J on the left and an I along the bottom. Xlib hands its 32-bit numbers over as longs,
        // sign extended: the width, the height, then a pixel 0xAARRGGBB each.
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(game.x, game.window, XInternAtom(game.x, "_NET_WM_ICON", False), 0,
                           1 << 16, False, AnyPropertyType, &type, &format, &count, &left, &data);
        const auto* icon = reinterpret_cast<const unsigned long*>(data);
        ASSERT_EQ(count, 2 + 64 * 64u);
        EXPECT_EQ(icon[0] * 1000 + icon[1], 64064u);
        for (const auto& [x, y, face] : {std::tuple(8, 8, Rgb(67, 170, 9)),
                                         {56, 8, {219, 108, 0}},
                                         {8, 40, {1, 59, 215}},
                                         {40, 56, {219, 50, 0}}}) {
            const unsigned long pixel = icon[2 + y * 64 + x] & 0xffffffff;
            EXPECT_EQ(pixel >> 24, 255u) << "opaque";
            EXPECT_TRUE(Near(Rgb(pixel >> 16 & 255, pixel >> 8 & 255, pixel & 255), face))
                << x << y;
        }
        XFree(data);
    }
    EXPECT_EQ(std::pair(game.last.width, game.last.height), std::pair(960, 720));
    EXPECT_EQ(CellsInTheWell(game.last), 0);
    EXPECT_EQ(FrameBars(game.last), err.empty()) << "the frame's program is built";
    const std::string first = ReadCells(game.last, -2, 14, 4, 2);
    // Past the piece's first frame, which makes no sideways move.
    ASSERT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) > 2; }, 10s));
    EXPECT_TRUE(Falling(game.last, first, 3, 4)) << first;
    const std::string second = ReadCells(game.last, -2, 14, 4, 2);

    game.key("d", true);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return Falling(p, first, 4, 4); }, 10s));
    game.key("d", false);
    const long moved = ReadFrames(game.last);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > moved + 20; }, 10s));
    EXPECT_TRUE(Falling(game.last, first, 4, 4)) << "one column only";

    game.key("s", true);
    EXPECT_TRUE(
        game.waitFor([](auto& p) { return InPhase(p, "LOCKFLASH") || InPhase(p, "ARE"); }, 10s));
    game.key("s", false);
    EXPECT_TRUE(game.waitFor(
        [&](auto& p) { return InPhase(p, "ACTIVE") && Falling(p, second, 3, 8); }, 10s));

    game.close();
    // Wine, hiding the window, waits two seconds for a window manager that Xvfb does not have.
    EXPECT_EQ(game.ended(std::getenv("VELMORA_PLAY") ? 5s : 1s), 0) << "exit status 0, in time";
    EXPECT_EQ(game.output(".err"), err);
    // A vertex log cut to 99 characters of its one line, then a fragment log one character a line.
    EXPECT_EQ(game.output(".out").find('\n'), err.empty() ? std::string::npos : 100);
}

// Installed as a package installs it (CTest's set-up step), the velmora command started from
// another folder finds its shader files. VELMORA_PLAY names another build's command in its
// place: make windows-test plays the Windows program under Wine, whose window takes its class
// and icon sizes from Wine.
TEST(Program, PlaysThroughInstalled) {
    setenv("SDL_AUDIODRIVER", "dummy", 1); // plays, on a machine with no sound card too
    const char* other = std::getenv("VELMORA_PLAY");
    PlayThrough(other ? other : VELMORA_INSTALLED, testing::TempDir(), "",
                other ? "" : "org.velmora.velmora");
}

TEST(Program, PlaysOnWithBrokenShaderFilesWithoutTheWellFrame) {
    const std::filesystem::path folder = testing::TempDir() + "velmora" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    for (const char* file : {"textured.vert", "textured.frag"}) {
        std::filesystem::copy_file(std::string(VELMORA_SHADERS "/") + file, folder / file);
    }
    // A vertex stage whose log is one line of over 99 characters, and a missing fragment stage.
    std::ofstream(folder / "colored.vert") << "#version 999\n";
    setenv("SDL_VIDEO_X11_WMCLASS", "mine", 1); // a class of the user's own stays
    setenv("SDL_AUDIODRIVER", "nosuch", 1);     // and no sound
    PlayThrough(VELMORA_PROGRAM, folder,
                "Unable to open audio: Audio target 'nosuch' not available\n"
                "\nVertex Shader compilation failed...\n"
                "\nFragment Shader compilation failed...\nLink failed...\n",
                "mine");
    unsetenv("SDL_VIDEO_X11_WMCLASS");
    std::filesystem::remove_all(folder);
}
