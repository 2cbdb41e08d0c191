// Velmora: one window, one game. Start-up, the render set-up (which starts the logic timer as
// its last step), the main loop, and the shutdown in reverse order.
#include "lifecycle.h"
#include "renderer.h"

int main(int /*argc*/, char* /*argv*/[]) {
    if (!OpenWindow()) {
        return 1;
    }
    InitRenderer();
    RunMainLoop();
    ShutDown();
    return 0;
}
