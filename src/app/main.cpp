// Velmora: one window, one game. Start-up, the sound, the render set-up (which starts the logic
// timer as its last step), the main loop, and the shutdown in reverse order, whose SDL_Quit
// closes the sound device.
#include "lifecycle.h"
#include "renderer.h"
#include "sound_device.h"

int main(int /*argc*/, char* /*argv*/[]) {
    if (!OpenWindow()) {
        return 1;
    }
    StartSound();
    InitRenderer();
    RunMainLoop();
    ShutDown();
    return 0;
}
