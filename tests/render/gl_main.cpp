// One window and GL context for the whole test program, opened when the tests start so that
// listing them needs no display.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "gl_fixture.h"

namespace {
// Without a context no test can run. gtest would count them as skipped after a failed set-up,
// and CTest would report skipped tests as passing, so the program ends with a failure instead.
[[noreturn]] void NoContext(const char* what) {
    std::fprintf(stderr, "The render tests have no GL context: %s: %s\n", what, SDL_GetError());
    std::exit(1);
}

class GlContext : public testing::Environment {
  public:
    void SetUp() override {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            NoContext("SDL_Init");
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        // As wide as the widest viewport a test asks for.
        window = SDL_CreateWindow("render tests", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        if (window == nullptr) {
            NoContext("SDL_CreateWindow");
        }
        context = SDL_GL_CreateContext(window);
        if (context == nullptr) {
            NoContext("SDL_GL_CreateContext");
        }
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            NoContext("glewInit");
        }
        // GLEW asks for the extension string the old way, which a core context refuses.
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        SDL_GL_DeleteContext(context);
        SDL_DestroyWindow(window);
        SDL_Quit();
    }

  private:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};
} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new GlContext);
    return RUN_ALL_TESTS();
}
