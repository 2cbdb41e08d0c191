// One window and GL context for the whole test program, opened when the tests start so that
// listing them needs no display.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "gl_fixture.h"

namespace {
// Now and then, with other tests at work on the same X server, glewInit has failed here for a
// window and context that did open. Each failed attempt is reported and tried afresh; after the
// last the program ends with a failure, since gtest would count every test as skipped after a
// failed set-up, and CTest would report skipped tests as passing.
constexpr int Attempts = 3;

class GlContext : public testing::Environment {
  public:
    void SetUp() override {
        for (int attempt = 1; attempt <= Attempts; ++attempt) {
            const char* failure = Open();
            if (failure == nullptr) {
                return;
            }
            std::fprintf(stderr, "The render tests have no GL context (attempt %d of %d): %s\n",
                         attempt, Attempts, failure);
            TearDown();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::exit(1);
    }
    void TearDown() override {
        SDL_GL_DeleteContext(context);
        context = nullptr;
        SDL_DestroyWindow(window);
        window = nullptr;
        SDL_Quit();
    }

  private:
    // What failed, or nothing.
    const char* Open() {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return SDL_GetError();
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
            return SDL_GetError();
        }
        context = SDL_GL_CreateContext(window);
        if (context == nullptr) {
            return SDL_GetError();
        }
        glewExperimental = GL_TRUE;
        if (const GLenum result = glewInit(); result != GLEW_OK) {
            return reinterpret_cast<const char*>(glewGetErrorString(result));
        }
        // GLEW asks for the extension string the old way, which a core context refuses.
        while (glGetError() != GL_NO_ERROR) {
        }
        return nullptr;
    }

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
};
} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new GlContext);
    return RUN_ALL_TESTS();
}
