// The GL the renderer draws with: OpenGL 3.3 core through GLEW on the desktop, OpenGL ES 3.0
// (WebGL 2) in the browser; and the first line that the shader files get for it when they are
// loaded, so that one set of files serves both.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
// ES gives fragment shaders no default float precision.
inline constexpr const char* ShaderVersionLine = "#version 300 es\nprecision mediump float;\n";
#else
#include <GL/glew.h>
inline constexpr const char* ShaderVersionLine = "#version 330 core\n";
#endif
