// A start-up that GLEW cannot finish: the media library's off-screen driver gives an EGL
// context, which the system's GLX build of GLEW cannot load from. Whatever the start-up had
// opened is released again before the program returns.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lifecycle.h"

TEST(StartUpFailure, AGlewFailureIsReportedAndReleasesContextWindowAndLibrary) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool opened = OpenWindow();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();

    ASSERT_FALSE(opened);
    const std::string expected =
        "Error: " +
        std::string(reinterpret_cast<const char*>(glewGetErrorString(GLEW_ERROR_NO_GLX_DISPLAY))) +
        "\n";
    EXPECT_NE(err.find(expected), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(Window, nullptr);
    EXPECT_EQ(GLContext, nullptr);
    EXPECT_EQ(SDL_WasInit(0), 0u) << "the media library is still up";
}
