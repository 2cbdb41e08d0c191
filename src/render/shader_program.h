// The two shader programs, built from source files in the working directory, and the
// locations of their attributes and uniforms.
#pragma once

#include "gl.h"

#include <string>

struct ShaderStage {
    GLenum type;
    const char* fileName;
};

// A location until the set-up looks it up: GL's answer for a name that a program lacks, so that
// a location never looked up cannot pass for the first one.
constexpr GLint NoLocation = -1;

struct TexturedProgramRecord {
    GLuint program;
    GLint vPosition = NoLocation;
    GLint vTexCoord = NoLocation;
    GLint vTransform = NoLocation;
};

struct ColoredProgramRecord {
    GLuint program;
    GLint vPosition = NoLocation;
    GLint vColor = NoLocation;
    GLint vTransform = NoLocation;
};

// Written once by the render set-up, before any draw, and read by every draw and by the resize
// procedure.
extern TexturedProgramRecord TexturedProgram;
extern ColoredProgramRecord ColoredProgram;

// Replaces text by the whole content of the named file, or leaves it alone when the file
// cannot be opened (or is a directory). Returns text's characters, NUL-terminated.
const char* ReadTextFile(const char* fileName, std::string& text);

// The shader files are written for the desktop's GL and start with its version line; the source
// with that line replaced by the one given (which ends in a line break). A source that starts
// otherwise is left as it is.
std::string WithVersionLine(const std::string& source, const char* versionLine);

// Compiles stages[0] as the vertex and stages[1] as the fragment shader, each with the
// context's version line (gl.h), and links them.
// Failures are reported and never stop anything: the program's name is returned regardless.
GLuint LoadShaderProgram(const ShaderStage (&stages)[2]);
