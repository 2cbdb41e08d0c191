// One window and GL context for the whole test program, opened when the tests start so that
// listing them needs no display.
#include <SDL.h>

#include "gl_fixture.h"

namespace {
class GlContext : public testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        // As wide as the widest viewport a test asks for.
        window = SDL_CreateWindow("render tests", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  1280, 720, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        context = SDL_GL_CreateContext(window);
        ASSERT_NE(context, nullptr) << SDL_GetError();
        glewExperimental = GL_TRUE;
        ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
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
