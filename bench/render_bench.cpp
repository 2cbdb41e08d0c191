// The cost of drawing one busy frame: a full board, both pieces and the whole text display,
// finished by the GL before the clock stops. With --pictures FOLDER it draws its scenes once
// instead and writes them there as PPM files: the mutation tool (scripts/mutants.py) measures
// how far a fault in the renderer changes the picture against them.
#include <GL/glew.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "camera.h"
#include "renderer.h"
#include "snapshot.h"

namespace {
// Every cell filled, or every second one: a block with no neighbours shows the side faces that
// the camera sees of it.
GameState BusyFrame(bool checkered = false, Phase phase = ACTIVE) {
    GameState frame;
    for (int row = 0; row < BoardRows; ++row) {
        for (int column = 0; column < BoardColumns; ++column) {
            const bool kept = !checkered || (row + column) % 2 == 0;
            frame.board[cellIndex(column, row)] = kept ? (row + column) % PieceKindCount : NoPiece;
        }
    }
    frame.phase = phase;
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

// The scenes drawn and written, top row first.
bool WritePictures(const std::string& folder) {
    const std::pair<const char*, GameState> scenes[] = {
        {"busy", BusyFrame()}, {"checkered", BusyFrame(true)}, {"over", BusyFrame(true, GAMEOVER)}};
    std::vector<unsigned char> rgb(StartWidth * StartHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const auto& [name, frame] : scenes) {
        PublishSnapshot(frame);
        RenderFrame();
        glReadPixels(0, 0, StartWidth, StartHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const std::string path = folder + "/" + name + ".ppm";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            std::perror(path.c_str());
            return false;
        }
        std::fprintf(file, "P6\n%d %d\n255\n", StartWidth, StartHeight);
        for (int row = StartHeight - 1; row >= 0; --row) {
            std::fwrite(&rgb[row * StartWidth * 3], 1, StartWidth * 3, file);
        }
        if (std::fclose(file) != 0) {
            std::perror(path.c_str());
            return false;
        }
    }
    return true;
}
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
        SDL_CreateWindow("render bench", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, StartWidth,
                         StartHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr || glewInit() != GLEW_OK) {
        std::fprintf(stderr, "render_bench: no GL 3.3 context\n");
        return 1;
    }
    CreateRenderObjects(); // once: the benchmark may run its loop several times
    int status = 0;
    if (argc == 3 && std::strcmp(argv[1], "--pictures") == 0) {
        status = WritePictures(argv[2]) ? 0 : 1;
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}
