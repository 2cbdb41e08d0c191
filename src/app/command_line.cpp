#include "command_line.h"

#include <string_view>

const char* const HelpText =
    "Usage: velmora [--replay FILE|N] [--verify FILE] [--help] [--version]\n"
    "A falling-block puzzle game.\n"
    "\n"
    "  --replay FILE  play the replay in FILE back in the window, then Enter plays on\n"
    "  --replay N     play back the replay of the Nth best game of the ranking (1 the best)\n"
    "  --verify FILE  play the replay through without a window and say whether it reaches\n"
    "                 the result it states: status 0 when it does, 1 when it does not, 2 when\n"
    "                 FILE is no replay or was dealt by another C library\n"
    "  --help         show this help and end\n"
    "  --version      show the version and end\n"
    "\n"
    "Keys: A and D shift, S drops, I or P turn counter-clockwise, O clockwise; Esc pauses and\n"
    "plays on; F2, while paused or after the game, chooses the keys; Enter plays again after\n"
    "the game is over; F11 or Alt+Enter switches to fullscreen and back; M the sound.\n"
    "Games are kept in the data folder: VELMORA_DATA_DIR if set, else the user's data folder.\n"
    "The keys, the sound and the window mode are kept in settings.ini, a text file with the\n"
    "sections [keys], [pad], [joystick] and [options] (see the README), in VELMORA_CONFIG_DIR if\n"
    "set, else in $XDG_CONFIG_HOME/velmora or ~/.config/velmora (%APPDATA%\\velmora on Windows).\n";

CommandLine ReadCommandLine(int argc, const char* const argv[]) {
    CommandLine command;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool hasArgument = i + 1 < argc;
        if (option == "--help" || option == "-h") {
            command.action = Action::Help;
            return command;
        }
        if (option == "--version") {
            command.action = Action::Version;
            return command;
        }
        if (option == "--verify" && hasArgument) {
            command.action = Action::Verify;
            command.verify = argv[++i];
            return command;
        }
        if (option == "--replay" && hasArgument) {
            command.replay = argv[++i];
        }
    }
    return command;
}
