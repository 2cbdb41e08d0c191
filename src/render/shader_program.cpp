// Reading shader sources and building programs from them, with the failure reports that let
// the game go on without the program that failed.
#include "shader_program.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

TexturedProgramRecord TexturedProgram;
ColoredProgramRecord ColoredProgram;

namespace {
constexpr GLsizei LogBufferSize = 100;

// Opening a directory for reading succeeds on POSIX, but it holds no text: treat it as a file
// that cannot be opened.
bool IsDirectory(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

bool CompileStage(GLuint shader, const char* source) {
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status != GL_FALSE;
}

std::vector<char> FetchLog(GLuint shader) {
    std::vector<char> log(LogBufferSize, '\0');
    glGetShaderInfoLog(shader, LogBufferSize, nullptr, log.data());
    return log;
}
} // namespace

const char* ReadTextFile(const char* fileName, std::string& text) {
    std::FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        return text.c_str();
    }
    if (IsDirectory(file)) {
        std::fclose(file);
        return text.c_str();
    }
    text.clear();
    char chunk[BUFSIZ];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, count);
    }
    std::fclose(file);
    return text.c_str();
}

std::string WithVersionLine(const std::string& source, const char* versionLine) {
    constexpr char FilesVersionLine[] = "#version 330 core\n";
    if (source.compare(0, sizeof FilesVersionLine - 1, FilesVersionLine) != 0) {
        return source;
    }
    return versionLine + source.substr(sizeof FilesVersionLine - 1);
}

GLuint LoadShaderProgram(const ShaderStage (&stages)[2]) {
    // The stages go by position; their type fields are not consulted.
    const GLuint vertexShader = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);

    std::string source;
    ReadTextFile(stages[0].fileName, source);
    if (!CompileStage(vertexShader, WithVersionLine(source, ShaderVersionLine).c_str())) {
        std::fputs("\nVertex Shader compilation failed...\n", stderr);
        const std::vector<char> log = FetchLog(vertexShader);
        for (const char* c = log.data(); *c != '\0'; ++c) {
            std::putchar(*c);
        }
    }

    source.clear();
    ReadTextFile(stages[1].fileName, source);
    if (!CompileStage(fragmentShader, WithVersionLine(source, ShaderVersionLine).c_str())) {
        std::fputs("\nFragment Shader compilation failed...\n", stderr);
        const std::vector<char> log = FetchLog(fragmentShader);
        for (const char* c = log.data(); *c != '\0'; ++c) {
            std::putchar(*c);
            std::putchar('\n');
            std::fflush(stdout);
        }
    }

    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    // Attached shaders live on with the program and go when it is deleted.
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_FALSE) {
        std::fputs("Link failed...\n", stderr);
        std::fflush(stderr);
    }
    return program;
}
