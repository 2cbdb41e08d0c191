// The cost of drawing one busy frame: a full board, both pieces and the whole text display,
// finished by the GL before the clock stops.
#include <GL/glew.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>

#include "renderer.h"
#include "snapshot.h"

namespace {
GameState BusyFrame() {
    GameState frame;
    for (int row = 0; row < BoardRows; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            frame.board[cellIndex(column, row)] = (row + column) % PieceKindCount;
        }
    }
    frame.phase = ACTIVE;
    frame.activeKind = PieceT;
    frame.pieceColumn = 3;
    frame.pieceRow = 2;
    frame.nextKind = PieceL;
    frame.grade = 17;
    frame.score = 1234567;
    frame.level = 998;
    frame.frameCount = 7654321;
    frame.gravityIndex = 29;
    return frame;
}

void BM_RenderBusyFrame(benchmark::State& state) {
    PublishSnapshot(BusyFrame());
    for (auto _ : state) {
        RenderFrame();
        glFinish();
    }
}
BENCHMARK(BM_RenderBusyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "render_bench: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window =
        SDL_CreateWindow("render bench", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 960, 720,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    glewExperimental = GL_TRUE;
    if (context == nullptr || glewInit() != GLEW_OK) {
        std::fprintf(stderr, "render_bench: no GL 3.3 context\n");
        return 1;
    }
    CreateRenderObjects(); // once: the benchmark may run its loop several times
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
