// velmora --verify: a replay played through without a window, as fast as the rules run, and
// its result held against the one the file states.
#pragma once

#include <string>

enum VerifyStatus { ResultMatches = 0, ResultDiffers = 1, NotPlayable = 2 };

struct Verdict {
    VerifyStatus status;
    std::string line; // one line, without its line end
};

// The verdict on a replay's text, named `name` in the line.
Verdict VerifyReplayText(const std::string& name, const std::string& text);
