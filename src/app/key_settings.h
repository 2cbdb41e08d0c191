// The key settings screen, opened with F2 while the game is paused or over: the well asks for one
// control at a time, in the order of ChosenControls, and the next key or controller button
// pressed becomes that control's on devices of its kind. A pure step of the screen and a press;
// the event pump feeds it and keeps what it gives.
#pragma once

#include <string>
#include <vector>

#include "settings.h"

struct KeySettingsScreen {
    bool open = false;
    std::size_t asking{}; // the control asked for, an index into ChosenControls
    Bindings bindings;    // as chosen so far; in force once the screen closes
    std::string refusal;  // why the last press was refused, or empty
};

KeySettingsScreen OpenKeySettings(const Bindings& bindings);

// One press: Escape closes the screen, leaving the controls not yet asked for as they were;
// Backspace gives every control its defaults back and asks again from the first; an input that
// the program uses or another control has is refused and the same control asked again; any other
// becomes the control's, and the next one is asked for, the screen closing after the last.
KeySettingsScreen StepKeySettings(KeySettingsScreen screen, Input press);

// The words in the well: a heading, the control asked for, its keys now, the refusal if any,
// and the keys that leave and restore.
std::vector<std::string> KeySettingsWords(const KeySettingsScreen& screen);
