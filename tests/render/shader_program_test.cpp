// The shader loader's reports on their two streams, and the reader of source files.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gl_fixture.h"
#include "shader_program.h"

namespace {
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
namespace fs = std::filesystem;

void WriteWhole(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh working directory holding copies of the shader files, left again at the end.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        char pattern[] = "/tmp/velmora-shaders-XXXXXX";
        path = mkdtemp(pattern);
        for (const char* file :
             {"textured.vert", "textured.frag", "colored.vert", "colored.frag"}) {
            fs::copy_file(home / file, path / file);
        }
        fs::current_path(path);
    }
    ~ScratchDirectory() {
        fs::current_path(home);
        fs::remove_all(path);
    }

  private:
    fs::path home = fs::current_path(), path;
};

// The first 99 characters of a shader's compile log, as GL gives it in full.
std::string CompileLog(GLenum type, const std::string& source) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    glDeleteShader(shader);
    return std::string(log.c_str()).substr(0, 99);
}

// Builds the textured program from the working directory; answers {stdout, stderr}.
std::pair<std::string, std::string> BuildTexturedProgram() {
    const ShaderStage stages[2] = {{GL_VERTEX_SHADER, "textured.vert"},
                                   {GL_FRAGMENT_SHADER, "textured.frag"}};
    CaptureStdout();
    CaptureStderr();
    const GLuint program = LoadShaderProgram(stages);
    const std::string err = GetCapturedStderr(), out = GetCapturedStdout();
    EXPECT_NE(program, 0u) << "the name is returned whatever failed";
    glDeleteProgram(program);
    return {out, err};
}
} // namespace

TEST(ShaderLoader, SoundSourcesBuildBothProgramsWithoutAWord) {
    CaptureStdout();
    CaptureStderr();
    CreateRenderObjects();
    EXPECT_EQ(GetCapturedStderr() + GetCapturedStdout(), "");
    DestroyRenderObjects();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderLoader, FailedStagesReportOnStandardErrorWithTheirCutLogsOnStandardOutput) {
    ScratchDirectory scratch;
    std::string vertex = "#version 330 core\nvoid main() {\n";
    for (int i = 0; i < 20; ++i) {
        vertex += "  undeclared" + std::to_string(i) + " = 1;\n";
    }
    vertex += "}\n";
    const std::string fragment = "#version 330 core\nout vec4 c;\nvoid main() { c = x; }\n";
    WriteWhole("textured.vert", vertex);
    WriteWhole("textured.frag", fragment);
    const std::string vertexLog = CompileLog(GL_VERTEX_SHADER, vertex);
    ASSERT_EQ(vertexLog.size(), 99u) << "the log must be long enough to be cut";
    std::string fragmentLines; // one character per line
    for (char c : CompileLog(GL_FRAGMENT_SHADER, fragment)) {
        fragmentLines += std::string(1, c) + "\n";
    }
    const auto [out, err] = BuildTexturedProgram();
    EXPECT_EQ(err, "\nVertex Shader compilation failed...\n"
                   "\nFragment Shader compilation failed...\n"
                   "Link failed...\n");
    EXPECT_EQ(out, vertexLog + fragmentLines);
}

TEST(ShaderLoader, ALinkFailureShowsNoLog) {
    ScratchDirectory scratch;
    // Compiles alone, but a program needs a main in every stage.
    WriteWhole("textured.frag",
               "#version 330 core\nout vec4 c;\nvoid paint() { c = vec4(1.0); }\n");
    EXPECT_EQ(BuildTexturedProgram(),
              std::make_pair(std::string(), std::string("Link failed...\n")));
}

TEST(ShaderLoader, AMissingVertexSourceLeavesTheBlocksOutButTheBandIsStillDrawn) {
    ScratchDirectory scratch;
    fs::remove("textured.vert");
    const std::string emptySourceLog = CompileLog(GL_VERTEX_SHADER, "");
    CaptureStdout();
    CaptureStderr();
    CreateRenderObjects();
    EXPECT_EQ(GetCapturedStderr(), "\nVertex Shader compilation failed...\nLink failed...\n");
    EXPECT_EQ(GetCapturedStdout(), emptySourceLog);

    GameState frame = EmptyFrame();
    frame.board.fill(PieceZ);
    PublishSnapshot(frame);
    RenderFrame();
    while (glGetError() != GL_NO_ERROR) { // the broken program's calls fail, as they may
    }
    const Picture picture = ReadPicture();
    const Rgb band = picture.at({-5.375f, 0.0f, 0.1f});
    EXPECT_TRUE(band.red > 90 && band.red == band.green && band.green == band.blue) << band;
    EXPECT_TRUE(Near(picture.at({0.5f, 0.5f, 0.0f}), Black, 0)) << "no block is drawn";
    DestroyRenderObjects();
}

TEST(ReadTextFile, ReadsWholeFilesAndLeavesTheTextAloneWhenThereIsNone) {
    ScratchDirectory scratch;
    std::string text = "before";
    EXPECT_STREQ(ReadTextFile("no such file", text), "before");
    EXPECT_STREQ(ReadTextFile("/tmp", text), "before");
    WriteWhole("empty", "");
    EXPECT_STREQ(ReadTextFile("empty", text), "");
    WriteWhole("binary", std::string("void\0main", 9));
    EXPECT_STREQ(ReadTextFile("binary", text), "void");
    EXPECT_EQ(text.size(), 9u);
    std::string large(24u << 20, 'x');
    large.back() = 'y';
    WriteWhole("large", large);
    ReadTextFile("large", text);
    EXPECT_EQ(text, large);
}
