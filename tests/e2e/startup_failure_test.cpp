// Started from a folder whose shader files are missing, empty or not text, the program reports
// each failed stage and link on standard error and runs on: the game keeps counting, only what
// the broken program would draw is missing, and a quit request still ends it with status 0.
#include "game_session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

const std::string VertexFailed = "\nVertex Shader compilation failed...\n";
const std::string FragmentFailed = "\nFragment Shader compilation failed...\n";
const std::string LinkFailed = "Link failed...\n";

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A folder with the four shader files of the build, less those named.
void CopyShadersExcept(const TemporaryFolder& folder, const std::string& left) {
    for (const char* name : {"textured.vert", "textured.frag", "colored.vert", "colored.frag"}) {
        if (name != left) {
            std::filesystem::copy_file(ProgramFolder() + "/" + name, folder.file(name));
        }
    }
}

// Keeps reading for the time; every picture must meet the condition and the program run on.
void StaysSo(GameSession& game, const std::function<bool(const Picture&)>& condition,
             std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        ASSERT_TRUE(game.process().running());
        const Picture picture = game.picture();
        ASSERT_TRUE(condition(picture)) << Describe(ReadScreen(picture));
        PauseBetweenLooks();
    }
}

TEST(StartupFailure, WithoutShaderFilesBothProgramsFailTheWindowStaysBlackAndSigtermEndsIt) {
    TemporaryFolder empty;
    GameSession game(empty.path());
    StaysSo(game, IsBlack, 1500ms);
    const std::string errors = game.standardError();
    const std::string program = VertexFailed + FragmentFailed + LinkFailed;
    EXPECT_EQ(Occurrences(errors, program + program), 1u) << errors;
    game.process().signal(SIGTERM);
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

TEST(StartupFailure, AnEmptyVertexShaderFailsTheTexturedProgramOnlyAndTheFrameStillShows) {
    TemporaryFolder folder;
    CopyShadersExcept(folder, "textured.vert");
    std::ofstream(folder.file("textured.vert")).close();
    GameSession game(folder.path());
    // The well frame comes from the coloured program; blocks and text need the textured one.
    ASSERT_TRUE(game.waitFor([](const ScreenReading& r) { return r.wellFrame; }, 10s));
    StaysSo(
        game,
        [](const Picture& picture) {
            const ScreenReading r = ReadScreen(picture);
            return r.wellFrame && r.phase.empty() && r.nextKind == EmptyCell;
        },
        3s);
    const std::string errors = game.standardError();
    EXPECT_EQ(Occurrences(errors, VertexFailed + LinkFailed), 1u) << errors;
    EXPECT_EQ(Occurrences(errors, FragmentFailed), 0u) << errors;
    EXPECT_EQ(Occurrences(errors, LinkFailed), 1u) << errors;
    game.x().requestClose(game.window());
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

TEST(StartupFailure, ABinaryFragmentShaderFailsTheColouredProgramOnlyAndTheGameCountsOn) {
    TemporaryFolder folder;
    CopyShadersExcept(folder, "colored.frag");
    // The head of the program itself: not text, and with a NUL in its first bytes.
    std::ifstream program(ProgramFolder() + "/velmora", std::ios::binary);
    std::string head(4096, '\0');
    program.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(folder.file("colored.frag"), std::ios::binary) << head;
    GameSession game(folder.path());

    // Text and blocks still show, the frame does not, and the game goes past the ready pause.
    const auto counting = game.waitFor(
        [](const ScreenReading& r) {
            return Recognised(r) && r.phase == "ACTIVE" && DisplayedNumber(r.frames) >= 30u;
        },
        10s);
    ASSERT_TRUE(counting) << "phase '" << game.lastReading().phase << "'";
    EXPECT_FALSE(counting->wellFrame);
    const std::string errors = game.standardError();
    EXPECT_EQ(Occurrences(errors, FragmentFailed + LinkFailed), 1u) << errors;
    EXPECT_EQ(Occurrences(errors, VertexFailed), 0u) << errors;
    EXPECT_EQ(Occurrences(errors, LinkFailed), 1u) << errors;
    game.process().signal(SIGINT);
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

} // namespace
