// The player's settings as text and back: which keys and controller buttons hold which control,
// whether the sound is on and whether the window fills the screen. Pure: the file itself is
// settings_file.h's.
//
// The text is the one a person edits:
//   [keys]        a control per line, any number of keys after '=', by the media library's key
//                 names ("A", "Left", "Keypad 4", "Left Shift"), matched without regard to case;
//                 the comma keys, whose names would part the list, as "Comma", "Keypad Comma"
//   [pad]         controllers with a layout, by the layout's button names ("a", "dpleft")
//   [joystick]    plain joysticks such as arcade encoders: "button 0" and on, "hat up" and so on
//   [options]     sound = on | off, window = window | fullscreen
// Nothing after '=' gives the control no input of the device. Blank lines and lines starting with
// '#' or ';' are comments.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game_state.h"
#include "input_names.h"

struct Binding {
    Input input;
    InputBits control = 0;
};

// Each input holds at most one control; a control may have several inputs.
using Bindings = std::vector<Binding>;

// The controls a player chooses inputs for, in the order the file and the screen take them, and
// their names in the file.
struct ChosenControl {
    InputBits control;
    const char* name;
};
inline constexpr std::array<ChosenControl, 6> ChosenControls = {{
    {Left, "left"},
    {Right, "right"},
    {Down, "down"},
    {RotateCcw, "rotate_ccw"},
    {RotateCw, "rotate_cw"},
    {RotateCcw2, "rotate_ccw2"},
}};

struct Settings {
    Bindings bindings;
    bool muted = false;
    bool fullscreen = false;
};

// A, D, S, I, O, P, W and the space bar; the D-pad and the south, east and west buttons; a plain
// joystick's hat 0 and buttons 0, 1 and 2.
Bindings DefaultBindings();
Settings DefaultSettings();

// The control an input holds, or 0.
InputBits BoundControl(const Bindings& bindings, Input input);

// Inputs the program itself answers, never a control's: Escape, either Enter, F2, F11 and M, and a
// controller's Start.
bool ProgramInput(Input input);

// Gives the control the one input in place of its inputs of that device; the input leaves any
// unread control (Up, Space) that had it. Another chosen control's input is not taken: answers
// that control then, changing nothing, else 0.
InputBits Assign(Bindings& bindings, InputBits control, Input input);

// What the text gives, and one message ("line N: why") for each line that could not be used;
// such a line is skipped and the rest holds. A control that no usable line names keeps its
// default inputs, but those another line took.
struct SettingsRead {
    Settings settings;
    std::vector<std::string> problems;
};
SettingsRead ReadSettings(std::string_view text);

// The whole text of the settings, every section written out.
std::string WriteSettings(const Settings& settings);
