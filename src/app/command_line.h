// The program's options. Arguments that are not options are accepted and ignored, as an
// option's missing argument is: the game starts as it would without them.
#pragma once

#include <string>

enum class Action { Play, Help, Version, Verify };

struct CommandLine {
    Action action = Action::Play;
    std::string replay; // --replay FILE or N: what to play back first; empty for a new game
    std::string verify; // --verify FILE
};

CommandLine ReadCommandLine(int argc, const char* const argv[]);

// What --help prints.
extern const char* const HelpText;
