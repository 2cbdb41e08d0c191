// The built program started as its own process, as a desktop starts it: what it prints and
// the status it ends with when the media library or GL cannot start, and a clean end when it
// is asked to stop.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>

#include "child_process.h"

namespace {
const std::string Program = VELMORA_PROGRAM;
constexpr std::chrono::seconds StartDeadline{20};

std::string Lines(const std::string& text) {
    return "\n---\n" + text + "---";
}

class RunningProgram : public testing::Test {
  protected:
    void TearDown() override { Discard(child); }
    ChildProcess child;
};

struct DisplayConnection {
    Display* display = XOpenDisplay(nullptr);
    ~DisplayConnection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};
} // namespace

TEST_F(RunningProgram, AVideoDriverThatCannotStartEndsItWithTheLibrarysMessage) {
    child = StartProgram(Program, {{{"SDL_VIDEODRIVER", "nonexistent"}}, {}});
    ASSERT_EQ(WaitForExit(child, StartDeadline), 1);
    const std::string out = ReadWholeFile(child.stdoutPath);
    EXPECT_EQ(out.rfind("Unable to initialize SDL: ", 0), 0u) << Lines(out);
    EXPECT_NE(out.find("nonexistent"), std::string::npos) << "the library's own error text";
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line" << Lines(out);
    EXPECT_EQ(ReadWholeFile(child.stderrPath).find("Unable"), std::string::npos);
}

TEST_F(RunningProgram, WithoutAnyDisplayGlewCannotLoadAndTheProgramSaysSo) {
    // With no X or Wayland display the media library falls back to its off-screen driver,
    // whose EGL context the system's GLX build of GLEW cannot load from.
    child = StartProgram(Program, {{}, {"DISPLAY", "WAYLAND_DISPLAY"}});
    ASSERT_EQ(WaitForExit(child, StartDeadline), 1);
    const std::string err = ReadWholeFile(child.stderrPath);
    const std::string expected =
        "Error: " +
        std::string(reinterpret_cast<const char*>(glewGetErrorString(GLEW_ERROR_NO_GLX_DISPLAY))) +
        "\n";
    EXPECT_NE(err.find(expected), std::string::npos) << Lines(err);
    EXPECT_EQ(ReadWholeFile(child.stdoutPath), "") << "GLEW's failure carries no SDL text";
}

TEST_F(RunningProgram, OnSigtermItShutsDownInOrderAndEndsWithStatusZero) {
    DisplayConnection x;
    ASSERT_NE(x.display, nullptr) << "this test needs an X display";
    // Arguments of any kind change nothing; the program ignores them.
    child = StartProgram(Program, {}, {"--level", "999", "-h", ""});

    // Running means a window whose picture shows the game.
    Window window = 0;
    const auto giveUp = std::chrono::steady_clock::now() + StartDeadline;
    while ((window == 0 || !ShowsAnything(x.display, window)) &&
           std::chrono::steady_clock::now() < giveUp && !WaitForExit(child, {})) {
        window = window != 0 ? window : FindWindowOf(x.display, child.pid);
    }
    ASSERT_NE(window, 0u) << "no window" << Lines(ReadWholeFile(child.stderrPath));
    ASSERT_TRUE(ShowsAnything(x.display, window)) << "the game never showed";

    kill(child.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(child, std::chrono::seconds(10)), 0);
    EXPECT_EQ(ReadWholeFile(child.stdoutPath), "");
    EXPECT_EQ(ReadWholeFile(child.stderrPath).find("Error"), std::string::npos);
}
