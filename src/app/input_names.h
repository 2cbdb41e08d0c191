// The keys and buttons that hold controls, and their names as a person reads and writes them:
// the media library's names for keys and for the buttons of controllers with a layout, and
// "button N" and "hat up" and so on for plain joysticks. Pure: the names come from the library's
// own tables, never from the keyboard layout in use.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <string_view>

// The three kinds of input device, each with its own section and its own numbers.
enum class Device : std::uint8_t { Key, Pad, Joystick };

// A plain joystick's hat directions are numbered apart from its buttons: this bit or'ed with the
// direction's SDL_HAT_ bit.
constexpr int HatCode = 0x100;

// One key (its SDL_Keycode), one button of a controller with a layout (SDL_GameControllerButton),
// or one button number or hat direction of a plain joystick.
struct Input {
    Device device = Device::Key;
    int code{};
    bool operator==(const Input& other) const {
        return device == other.device && code == other.code;
    }
};

// The input's name as the file writes it ("Left", "dpleft", "button 3", "hat up"); the key
// names are the media library's but for the comma keys'.
std::string InputName(Input input);

// Reads the name in the device's form, without regard to case; false for no such input.
bool ReadInputName(Device device, std::string_view name, Input& input);

// The text in lower case, and without the blanks at either end.
std::string Lower(std::string_view text);
std::string_view Trim(std::string_view text);
