// The program from outside: the real binary on an X server of the test's own, played with XTest
// keys and read back from its window's pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "x_play.h"

// Whether the falling piece that a preview showed stands in the column, the well holding so many
// cells in all.
static bool Falling(const Picture& picture, const std::string& preview, int column, long cells) {
    return PieceIn(picture, preview, column) && CellsInTheWell(picture) == cells;
}

// S held until the game is over, the display showing its end; what it shows then:
// grade, points, level and frames as the ranking writes them.
static std::string PlayToTheEnd(XPlay& game) {
    game.key("s", true);
    EXPECT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "GAMEOVER"); }, 90s));
    game.key("s", false);
    std::string grade = ReadText(game.last, -10, 10, 2);
    grade.erase(0, grade.front() == ' ');
    // clang-format off
    return grade + " " + std::to_string(std::atol(ReadText(game.last, -15, 7, 7).c_str())) + " " + std::to_string(std::atol(ReadText(game.last, -15, 4, 7).c_str())) + " " + std::to_string(ReadFrames(game.last));
    // clang-format on
}

// The start, a tap of D, a soft drop to the floor and the next piece, the close button; and what
// the program says on its way, and the window's class and icon where a class is given. A key is
// held until its effect shows: a loaded machine may read it late. Played on to the end, the game
// is shown first and marked in the ranking of the run, and Enter plays again.
static void PlayThrough(const std::string& command, const std::string& folder,
                        const std::string& err, const std::string& windowClass,
                        bool toTheEnd = false) {
    XPlay game(command, folder);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    if (!windowClass.empty()) {
        XClassHint names{};
        ASSERT_TRUE(XGetClassHint(game.x, game.window, &names));
        // clang-format off
        EXPECT_EQ(names.res_name + (" " + std::string(names.res_class)), windowClass + " " + windowClass);
        // clang-format on
        XFree(names.res_name);
        XFree(names.res_class);
        // The icon, 64 pixels square in cells of 16, a Z at the top left. Xlib hands its 32-bit
        // numbers over as longs, sign extended: the width, the height, then a pixel 0xAARRGGBB
        // each.
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(game.x, game.window, XInternAtom(game.x, "_NET_WM_ICON", False), 0,
                           1 << 16, False, AnyPropertyType, &type, &format, &count, &left, &data);
        const auto* icon = reinterpret_cast<const unsigned long*>(data);
        ASSERT_EQ(count, 2 + 64 * 64u);
        EXPECT_EQ(icon[0] * 1000 + icon[1], 64064u);
        const unsigned long pixel = icon[2 + 8 * 64 + 8] & 0xffffffff;
        // clang-format off
        EXPECT_TRUE(pixel >> 24 == 255 && Near(Rgb(pixel >> 16 & 255, pixel >> 8 & 255, pixel & 255), {67, 170, 9}));
        // clang-format on
        XFree(data);
    }
    EXPECT_EQ(std::pair(game.last.width, game.last.height), std::pair(960, 720));
    EXPECT_EQ(CellsInTheWell(game.last), 0);
    EXPECT_EQ(FrameBars(game.last), err.empty()) << "the frame's program is built";
    const std::string first = ReadCells(game.last, -2, 14, 4, 2);
    // Past the piece's first frame, which makes no sideways move.
    // clang-format off
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "ACTIVE") && ReadFrames(p) > 2; }, 10s));
    // clang-format on
    EXPECT_TRUE(Falling(game.last, first, 3, 4)) << first;
    const std::string second = ReadCells(game.last, -2, 14, 4, 2);

    game.key("d", true);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return Falling(p, first, 4, 4); }, 10s));
    game.key("d", false);
    const long moved = ReadFrames(game.last);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > moved + 20; }, 10s));
    EXPECT_TRUE(Falling(game.last, first, 4, 4)) << "one column only";

    game.key("s", true);
    // clang-format off
    EXPECT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "LOCKFLASH") || InPhase(p, "ARE"); }, 10s));
    // clang-format on
    game.key("s", false);
    // clang-format off
    EXPECT_TRUE(game.waitFor([&](auto& p) { return InPhase(p, "ACTIVE") && Falling(p, second, 3, 8); }, 10s));
    // clang-format on
    if (toTheEnd) {
        PlayToTheEnd(game);
        // clang-format off
        EXPECT_TRUE(game.waitFor([](auto& p) { return ReadText(p, 7, 8, 1, 0.5f) == ">"; }, 10s)) << "shown for this run";
        // clang-format on
        game.tap("KP_Enter");
        EXPECT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 10s));
    }

    // Wine, hiding the window, waits two seconds for a window manager that Xvfb does not have.
    EXPECT_TRUE(game.closes(std::getenv("VELMORA_PLAY") ? 5s : 1s)) << "exit status 0, in time";
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

// With a data folder that cannot be written as well: one line, and the game goes on to its end.
TEST(Program, PlaysOnWithBrokenShaderFilesWithoutTheWellFrameAndWhereNothingCanBeKept) {
    const std::filesystem::path folder = testing::TempDir() + "velmora" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    for (const char* file : {"textured.vert", "textured.frag"}) {
        std::filesystem::copy_file(std::string(VELMORA_SHADERS "/") + file, folder / file);
    }
    // A vertex stage whose log is one line of over 99 characters, and a missing fragment stage.
    std::ofstream(folder / "colored.vert") << "#version 999\n";
    setenv("SDL_VIDEO_X11_WMCLASS", "mine", 1); // a class of the user's own stays
    setenv("SDL_AUDIODRIVER", "nosuch", 1);     // and no sound
    const std::string data = std::getenv("VELMORA_DATA_DIR");
    setenv("VELMORA_DATA_DIR", "/proc/self/", 1); // a folder that not even root may write in
    // clang-format off
    PlayThrough(VELMORA_PROGRAM, folder, "Unable to open audio: Audio target 'nosuch' not available\nvelmora: /proc/self/ranking.lock: No such file or directory: no game will be kept\n"
                "\nVertex Shader compilation failed...\n\nFragment Shader compilation failed...\nLink failed...\n", "mine", true);
    // clang-format on
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    unsetenv("SDL_VIDEO_X11_WMCLASS");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::filesystem::remove_all(folder);
}

// A game played to its end enters the ranking of four games read at start-up, first and marked
// (they scored as little in more frames), as its last game: the replay of the last game before,
// unranked, is removed, the ranked ones stay, and the game's replay --verify plays to the same
// result. Enter plays again, marking no game. --replay 1 plays the game back to the same end
// while D is held, and Enter then plays a game of one's own. A ranking that cannot be read is
// then kept beside as ranking.txt.bad, with one line on standard error, and an empty one shows.
TEST(Program, KeepsEveryGameInTheRankingPlaysAgainAtEnterAndSetsABrokenRankingAside) {
    const char* other = std::getenv("VELMORA_PLAY");
    const std::string command = other ? other : VELMORA_INSTALLED;
    // The data folder: a temporary one, made empty, which the program is told through
    // VELMORA_DATA_DIR; under Wine (VELMORA_PLAY) the one that Windows gives the user, under the
    // Wine prefix, which VELMORA_PLAY_DATA names.
    const char* windows = std::getenv("VELMORA_PLAY_DATA");
    const std::filesystem::path data = windows ? windows : testing::TempDir() + "velmora-kept";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
    if (!windows) {
        setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    }
    std::string four;
    for (int i = 1; i <= 4; ++i) {
        const std::string file = "replay-" + std::to_string(i) + ".txt";
        four += "game 9 0 0 " + std::to_string(99990 + i) + " 2026-12-08T04:41:01Z " + file + "\n";
        std::ofstream(data / file) << "kept";
    }
    std::ofstream(data / "replay-old.txt") << "dropped";
    std::ofstream(data / "ranking.txt") << "velmora ranking 1\n" << four << "last replay-old.txt\n";
    XPlay game(command, testing::TempDir());
    EXPECT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    const std::string result = PlayToTheEnd(game);
    EXPECT_EQ(ReadText(game.last, 7, 9, 4), "BEST");
    EXPECT_TRUE(game.waitFor([](auto& p) { return ReadText(p, 7, 8, 3, 0.5f) == "> 9"; }, 10s));
    EXPECT_EQ(ReadText(game.last, 7, 7, 24, 0.5f), "  9       0   0 26:39.85"); // 99991 frames
    game.tap("Return");
    EXPECT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 10s));
    EXPECT_EQ(ReadText(game.last, 7, 8, 3, 0.5f), "  9");
    EXPECT_TRUE(game.closes(other ? 5s : 1s));

    EXPECT_EQ(game.output(".err"), "");
    // The game first, with its date and replay, the games below it as they were, and it as the
    // last.
    const std::string kept = FileText(data / "ranking.txt");
    std::smatch entry;
    // clang-format off
    EXPECT_TRUE(std::regex_match(kept, entry, std::regex("velmora ranking 1\ngame " + result + " [-0-9T:]+Z (\\S+)\n" + four + "last (\\S+)\n"))) << kept;
    // clang-format on
    EXPECT_EQ(entry[1], entry[2]);
    EXPECT_FALSE(std::filesystem::exists(data / "replay-old.txt"));
    EXPECT_EQ(FileText(data / "replay-4.txt"), "kept");
    const std::string said = testing::TempDir() + "verify"; // the run's own folder
    // clang-format off
    const std::string verify = "cd " + testing::TempDir() + " && " + command + " --verify " + (data / entry[1].str()).string() + " >" + said;
    // clang-format on
    EXPECT_EQ(WEXITSTATUS(std::system(verify.c_str())), 0);
    EXPECT_NE(FileText(said).find(": matches: "), std::string::npos) << FileText(said);

    XPlay again(command, testing::TempDir(), "--replay 1");
    EXPECT_TRUE(again.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    again.key("d", true);
    EXPECT_EQ(PlayToTheEnd(again), result) << "played back";
    again.key("d", false);
    again.tap("KP_Enter");
    EXPECT_TRUE(again.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 10s));
    EXPECT_TRUE(again.closes(other ? 5s : 1s));

    std::ofstream(data / "ranking.txt") << "velmora ranking 1\ngame S1\n";
    XPlay broken(command, testing::TempDir());
    EXPECT_TRUE(broken.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    // clang-format off
    EXPECT_EQ(ReadText(broken.last, 7, 9, 4) + ReadText(broken.last, 7, 8, 24, 0.5f), "BEST" + std::string(24, ' '));
    // clang-format on
    EXPECT_TRUE(broken.closes(other ? 5s : 1s));
    const std::string err = broken.output(".err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("ranking.txt: line 2: expected \"game\""), std::string::npos) << err;
    EXPECT_NE(err.find("ranking.txt.bad, a fresh ranking starts"), std::string::npos) << err;
    EXPECT_EQ(FileText(data / "ranking.txt.bad"), "velmora ranking 1\ngame S1\n");
}
