// Velmora: one window, a game after another. The options that end at once (help, version,
// verifying a replay), then start-up, the settings, the sound, the records and the first game, the
// render set-up (which starts the logic timer as its last step), the main loop, and the shutdown in
// reverse order, whose SDL_Quit closes the sound device.
#include <cstdio>
#include <string>

#include "command_line.h"
#include "data_files.h"
#include "lifecycle.h"
#include "menu_keys.h"
#include "records_keeper.h"
#include "renderer.h"
#include "sound_device.h"
#include "verify.h"

namespace {
int Verify(const std::string& path) {
    std::string text, why;
    const Verdict verdict = ReadWholeFile(path, text, why)
                                ? VerifyReplayText(path, text)
                                : Verdict{NotPlayable, path + ": cannot be read: " + why};
    std::printf("%s\n", verdict.line.c_str());
    return verdict.status;
}
} // namespace

int main(int argc, char* argv[]) {
    const CommandLine command = ReadCommandLine(argc, argv);
    switch (command.action) {
    case Action::Help:
        std::fputs(HelpText, stdout);
        return 0;
    case Action::Version:
        std::printf("velmora %s\n", VELMORA_VERSION);
        return 0;
    case Action::Verify:
        return Verify(command.verify);
    case Action::Play:
        break;
    }
    if (!OpenWindow()) {
        return 1;
    }
    StartWithSettings(Window);
    StartSound();
    OpenRecords();
    StartFirstGame(command.replay);
    InitRenderer();
    RunMainLoop();
    ShutDown();
    return 0;
}
