// The built program started as its own process, as a desktop starts it: what it prints and
// the status it ends with when the media library or GL cannot start, and a clean end when it
// is asked to stop. The running case gets an X server of its own.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>

#include "child_process.h"
#include "x_server.h"

namespace {
constexpr std::chrono::seconds StartDeadline{20};

const std::string ProgramPath = VELMORA_PROGRAM;
const std::string ProgramFolder = ProgramPath.substr(0, ProgramPath.rfind('/'));

std::string Lines(const std::string& text) {
    return "\n---\n" + text + "---";
}

struct ProgramRun {
    TemporaryFolder outputs;
    ChildProcess process;

    explicit ProgramRun(std::vector<std::string> environment,
                        std::vector<std::string> arguments = {})
        : process(WithProgram(std::move(arguments)),
                  {ProgramFolder, std::move(environment), outputs.file("stdout"),
                   outputs.file("stderr")}) {}

    std::string out() const { return ReadWholeFile(outputs.file("stdout")); }
    std::string err() const { return ReadWholeFile(outputs.file("stderr")); }

    static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ProgramPath);
        return arguments;
    }
};

bool AnyPixelLit(const Picture& picture) {
    return std::any_of(picture.rgb.begin(), picture.rgb.end(), [](auto value) { return value; });
}
} // namespace

TEST(RunningProgram, AVideoDriverThatCannotStartEndsItWithTheLibrarysMessage) {
    ProgramRun run({"SDL_VIDEODRIVER=nonexistent"});
    ASSERT_EQ(run.process.waitForExit(StartDeadline), 1);
    const std::string out = run.out();
    EXPECT_EQ(out.rfind("Unable to initialize SDL: ", 0), 0u) << Lines(out);
    EXPECT_NE(out.find("nonexistent"), std::string::npos) << "the library's own error text";
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line" << Lines(out);
    EXPECT_EQ(run.err().find("Unable"), std::string::npos);
}

TEST(RunningProgram, WithoutAnyDisplayGlewCannotLoadAndTheProgramSaysSo) {
    // With no X or Wayland display the media library falls back to its off-screen driver,
    // whose EGL context the system's GLX build of GLEW cannot load from.
    ProgramRun run({"DISPLAY=", "WAYLAND_DISPLAY="});
    ASSERT_EQ(run.process.waitForExit(StartDeadline), 1);
    const std::string expected =
        "Error: " +
        std::string(reinterpret_cast<const char*>(glewGetErrorString(GLEW_ERROR_NO_GLX_DISPLAY))) +
        "\n";
    EXPECT_NE(run.err().find(expected), std::string::npos) << Lines(run.err());
    EXPECT_EQ(run.out(), "") << "GLEW's failure carries no SDL text";
}

TEST(RunningProgram, OnSigtermItEndsCleanlyWithStatusZero) {
    XServer x;
    // Arguments of any kind change nothing; the program ignores them.
    ProgramRun run({"DISPLAY=" + x.name()}, {"--level", "999", "-h", ""});

    // Running means a window whose picture shows the game.
    WindowId window = NoWindow;
    bool showing = false;
    const auto giveUp = std::chrono::steady_clock::now() + StartDeadline;
    while (!showing && std::chrono::steady_clock::now() < giveUp && run.process.running()) {
        window = window != NoWindow ? window : x.findWindow("Velmora");
        showing = window != NoWindow && AnyPixelLit(x.takePicture(window));
    }
    ASSERT_TRUE(showing) << "the game never showed" << Lines(run.err());

    run.process.signal(SIGTERM);
    EXPECT_EQ(run.process.waitForExit(std::chrono::seconds(10)), 0);
    EXPECT_EQ(run.out(), "");
    EXPECT_EQ(run.err(), "");
}
