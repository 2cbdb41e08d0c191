// The player's keys and the pause, from outside: the real program with a settings file of the
// test's own, played through XTest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "x_play.h"

// The pause: the word, and no cell of the well or the next piece.
static bool ShowsPause(const Picture& p) {
    // clang-format off
    return ReadText(p, -2.5f, 5, 5) == "PAUSE" && CellsInTheWell(p) == 0 && ReadCells(p, -2, 14, 4, 2) == "....\n....\n";
    // clang-format on
}

// The file binds the arrows to left and right and has a line it cannot use. D no longer moves the
// piece, the arrow does. Escape pauses: no cell or piece shows and the picture stands still for
// two seconds; Escape resumes. Focus given to another window pauses. F2 walks through the six
// controls; the file is written and the new keys hold. F11 and M are kept too.
TEST(Keys, ComeFromTheSettingsFileAndTheKeyScreenAndEscapeOrALostFocusPauses) {
    const std::filesystem::path folder = std::getenv("VELMORA_CONFIG_DIR");
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "settings.ini") << "[keys]\nleft = Left\nright = Right\nbogus\n";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    XPlay game(VELMORA_PROGRAM, std::filesystem::path(VELMORA_PROGRAM).parent_path());
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "READYGO"); }, 30s));
    const std::string piece = ReadCells(game.last, -2, 14, 4, 2);
    ASSERT_TRUE(game.waitFor([](auto& p) { return InPhase(p, "ACTIVE"); }, 10s));
    game.key("d", true);
    const long held = ReadFrames(game.last);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > held + 20; }, 10s));
    game.key("d", false);
    EXPECT_TRUE(PieceIn(game.last, piece, 3)) << "D moves nothing";
    game.key("Right", true);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return PieceIn(p, piece, 4); }, 10s));
    game.key("Right", false);

    game.tap("Escape");
    ASSERT_TRUE(game.waitFor(ShowsPause, 10s));
    EXPECT_EQ(ReadText(game.last, -4.25f, 3.5f, 17, 0.5f), "ESC/START: RESUME");
    const Picture paused = game.last;
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(game.picture().pixels, paused.pixels) << "the picture stands still";
    game.tap("Escape");
    // clang-format off
    EXPECT_TRUE(game.waitFor([&](auto& p) { return ReadFrames(p) > ReadFrames(paused) && CellsInTheWell(p) > 0; }, 10s));
    // clang-format on

    // clang-format off
    const Window other = XCreateSimpleWindow(game.x, DefaultRootWindow(game.x), 0, 0, 50, 50, 0, 0, 0);
    // clang-format on
    XMapWindow(game.x, other); // viewable at once: the server has no window manager
    XSetInputFocus(game.x, other, RevertToParent, CurrentTime);
    XSync(game.x, False);
    EXPECT_TRUE(game.waitFor(ShowsPause, 10s)) << "a lost focus pauses";
    XSetInputFocus(game.x, game.window, RevertToParent, CurrentTime);
    XSync(game.x, False);

    game.tap("F2");
    EXPECT_TRUE(game.waitFor([](auto& p) { return ReadText(p, -2, 5, 4) == "KEYS"; }, 10s));
    EXPECT_EQ(ReadText(game.last, -1, 2, 4, 0.5f), "LEFT");
    game.tap("Right");
    // clang-format off
    EXPECT_TRUE(game.waitFor([](auto& p) { return ReadText(p, -3.5f, -1, 14, 0.5f) == "TAKEN BY RIGHT"; }, 10s));
    // clang-format on
    for (const char* key : {"j", "l", "k", "u", "o", "p"}) {
        game.tap(key);
    }
    EXPECT_TRUE(game.waitFor(ShowsPause, 10s));
    game.tap("Escape");
    const std::string text = FileText(folder / "settings.ini");
    // clang-format off
    EXPECT_NE(text.find("[keys]\nleft = J\nright = L\ndown = K\nrotate_ccw = U\n"), std::string::npos) << text;
    // clang-format on
    ASSERT_TRUE(game.waitFor([&](auto& p) { return PieceIn(p, piece, 4); }, 10s));
    game.key("l", true);
    EXPECT_TRUE(game.waitFor([&](auto& p) { return PieceIn(p, piece, 5); }, 10s)) << "L holds";
    game.key("l", false);
    const std::string file = folder / "settings.ini";
    const auto kept = [&](const char* line) {
        return game.waitFor([&](auto&) { return FileText(file).find(line) != std::string::npos; },
                            10s);
    };
    game.tap("F11");
    EXPECT_TRUE(kept("sound = on\nwindow = fullscreen\n"));
    game.tap("m");
    EXPECT_TRUE(kept("sound = off\nwindow = fullscreen\n"));

    EXPECT_TRUE(game.closes(1s));
    // clang-format off
    EXPECT_EQ(game.output(".err"), "velmora: " + (folder / "settings.ini").string() + ": line 4: expected NAME = VALUE; the line is skipped\n");
    // clang-format on
}
