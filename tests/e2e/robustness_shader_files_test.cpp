// Shader files that are missing, empty, not text, not files, or far larger than any shader: the
// program's own head in place of one, a folder, and 50 MB of text, either junk or a valid shader
// padded with a comment. A stage that cannot be compiled is reported with the program's own
// messages and the game runs on; a valid shader of any size builds its program silently.
//
// Whether the game keeps counting is read off the screen when only the coloured program is
// broken, since the textured one draws the text. When the textured program is broken no text
// is drawn; then the logic timer's thread must keep waking at the tick rate, and the program
// must still answer a close request.
#include "game_session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace {

const std::string VertexFailed = "\nVertex Shader compilation failed...\n";
const std::string FragmentFailed = "\nFragment Shader compilation failed...\n";
const std::string LinkFailed = "Link failed...\n";
constexpr std::size_t FiftyMegabytes = 50u << 20;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

enum class Breakage { Empty, ProgramHead, Folder, Junk, PaddedComment };

struct BrokenShader {
    std::string file;
    Breakage breakage;
};

std::string Describe(const BrokenShader& shader) {
    const char* how[] = {"Empty", "NotText", "AFolder", "FiftyMegabytesOfJunk",
                         "ValidButPaddedTo50MB"};
    std::string name = shader.file;
    name[name.find('.')] = '_';
    return name + "Is" + how[static_cast<int>(shader.breakage)];
}

bool IsVertexStage(const std::string& file) {
    return file.size() > 5 && file.compare(file.size() - 5, 5, ".vert") == 0;
}

bool IsTexturedProgram(const std::string& file) {
    return file.rfind("textured", 0) == 0;
}

void WriteJunk(const std::string& path) {
    // No NUL anywhere, so that all of it reaches the compiler.
    std::mt19937 random(50);
    std::uniform_int_distribution<int> byte(1, 255);
    std::string junk(FiftyMegabytes, ' ');
    for (char& c : junk) {
        c = static_cast<char>(byte(random));
    }
    std::ofstream(path, std::ios::binary) << junk;
}

void WritePaddedCopy(const std::string& from, const std::string& path) {
    std::string padded = ReadWholeFile(from) + "\n/*\n";
    const std::string line(79, '*');
    padded.reserve(FiftyMegabytes + 100);
    while (padded.size() < FiftyMegabytes) {
        padded += line + '\n';
    }
    padded += "*/\n";
    std::ofstream(path, std::ios::binary) << padded;
}

// The build's four shader files, with the one named broken as told.
void PrepareFolder(const TemporaryFolder& folder, const BrokenShader& shader) {
    for (const char* name : {"textured.vert", "textured.frag", "colored.vert", "colored.frag"}) {
        if (name != shader.file) {
            std::filesystem::copy_file(ProgramFolder() + "/" + name, folder.file(name));
        }
    }
    const std::string path = folder.file(shader.file);
    switch (shader.breakage) {
    case Breakage::Empty:
        std::ofstream(path).close();
        break;
    case Breakage::ProgramHead: {
        // The head of the program itself: not text, and with a NUL in its first bytes.
        std::ifstream program(ProgramFolder() + "/velmora", std::ios::binary);
        std::string head(4096, '\0');
        program.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(path, std::ios::binary) << head;
        break;
    }
    case Breakage::Folder:
        std::filesystem::create_directory(path);
        break;
    case Breakage::Junk:
        WriteJunk(path);
        break;
    case Breakage::PaddedComment:
        WritePaddedCopy(ProgramFolder() + "/" + shader.file, path);
        break;
    }
}

// How often the thread that runs the logic timer has gone to sleep; it sleeps once a tick.
long TimerThreadSleeps(pid_t process) {
    long sleeps = -1;
    const std::filesystem::path tasks = "/proc/" + std::to_string(process) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        if (ReadWholeFile((task.path() / "comm").string()) != "SDLTimer\n") {
            continue;
        }
        const std::string status = ReadWholeFile((task.path() / "status").string());
        const std::string field = "voluntary_ctxt_switches:";
        const std::size_t at = status.find("\n" + field);
        if (at != std::string::npos) {
            sleeps = std::stol(status.substr(at + 1 + field.size()));
        }
    }
    return sleeps;
}

TEST(StartupFailure, WithoutShaderFilesBothProgramsFailTheWindowStaysBlackAndSigtermEndsIt) {
    TemporaryFolder empty;
    GameSession game(empty.path());
    const auto end = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < end) {
        ASSERT_TRUE(game.process().running());
        const Picture picture = game.picture();
        ASSERT_TRUE(IsBlack(picture)) << Describe(ReadScreen(picture));
        PauseBetweenLooks();
    }
    const std::string errors = game.standardError();
    const std::string program = VertexFailed + FragmentFailed + LinkFailed;
    EXPECT_EQ(Occurrences(errors, program + program), 1u) << errors;
    game.process().signal(SIGTERM);
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

class BrokenShaderFile : public testing::TestWithParam<BrokenShader> {};

TEST_P(BrokenShaderFile, IsReportedAsTheFailedStageAndLinkOrNotAtAllAndTheGameRunsOn) {
    const BrokenShader& shader = GetParam();
    TemporaryFolder folder;
    PrepareFolder(folder, shader);
    GameSession game(folder.path());

    if (shader.breakage == Breakage::PaddedComment || !IsTexturedProgram(shader.file)) {
        // The text is drawn: the counter must pass 30 in ACTIVE and then go on counting.
        const bool frameExpected = shader.breakage == Breakage::PaddedComment;
        const auto counting = game.waitFor(
            [](const ScreenReading& r) {
                return Recognised(r) && r.phase == "ACTIVE" && DisplayedNumber(r.frames) >= 30u;
            },
            20s);
        ASSERT_TRUE(counting) << "phase '" << game.lastReading().phase << "'";
        EXPECT_EQ(counting->wellFrame, frameExpected);
        const unsigned frames = *DisplayedNumber(counting->frames);
        const auto later = game.waitFor(
            [&](const ScreenReading& r) {
                return Recognised(r) && DisplayedNumber(r.frames) >= frames + 60;
            },
            5s);
        ASSERT_TRUE(later) << "frames stopped at " << game.lastReading().frames;
        EXPECT_EQ(later->wellFrame, frameExpected);
    } else {
        // Only the well frame is drawn, and the timer goes on ticking behind it.
        ASSERT_TRUE(game.waitFor([](const ScreenReading& r) { return r.wellFrame; }, 20s));
        const auto start = std::chrono::steady_clock::now();
        const long sleepsBefore = TimerThreadSleeps(game.process().pid());
        ASSERT_GE(sleepsBefore, 0) << "no SDLTimer thread";
        while (std::chrono::steady_clock::now() - start < 2s) {
            const ScreenReading r = game.read();
            ASSERT_TRUE(r.wellFrame && r.phase.empty() && r.nextKind == EmptyCell)
                << "phase '" << r.phase << "'";
            PauseBetweenLooks();
        }
        const long sleeps = TimerThreadSleeps(game.process().pid()) - sleepsBefore;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // 62.5 ticks a second; half of that allows for a machine busy with other work.
        EXPECT_GE(sleeps, seconds * 62.5 / 2) << "over " << seconds << " s";
    }

    const std::string errors = game.standardError();
    if (shader.breakage == Breakage::PaddedComment) {
        EXPECT_EQ(Occurrences(errors, VertexFailed), 0u) << errors;
        EXPECT_EQ(Occurrences(errors, FragmentFailed), 0u) << errors;
        EXPECT_EQ(Occurrences(errors, LinkFailed), 0u) << errors;
    } else {
        const std::string& failed = IsVertexStage(shader.file) ? VertexFailed : FragmentFailed;
        const std::string& other = IsVertexStage(shader.file) ? FragmentFailed : VertexFailed;
        EXPECT_EQ(Occurrences(errors, failed + LinkFailed), 1u) << errors;
        EXPECT_EQ(Occurrences(errors, other), 0u) << errors;
        EXPECT_EQ(Occurrences(errors, LinkFailed), 1u) << errors;
    }
    game.x().requestClose(game.window());
    EXPECT_EQ(game.process().waitForExit(1s), 0);
}

INSTANTIATE_TEST_SUITE_P(StartupFailure, BrokenShaderFile,
                         testing::Values(BrokenShader{"textured.vert", Breakage::Empty},
                                         BrokenShader{"colored.frag", Breakage::ProgramHead},
                                         BrokenShader{"textured.vert", Breakage::Folder},
                                         BrokenShader{"colored.frag", Breakage::Folder},
                                         BrokenShader{"colored.vert", Breakage::Junk},
                                         BrokenShader{"textured.frag", Breakage::Junk},
                                         BrokenShader{"colored.vert", Breakage::PaddedComment},
                                         BrokenShader{"textured.frag", Breakage::PaddedComment}),
                         [](const testing::TestParamInfo<BrokenShader>& info) {
                             return Describe(info.param);
                         });

} // namespace
