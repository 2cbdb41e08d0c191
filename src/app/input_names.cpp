#include "input_names.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {
constexpr int MostJoystickButtons = 256; // the media library numbers them in 8 bits

struct HatName {
    int direction;
    const char* name;
};
constexpr std::array<HatName, 4> HatNames = {{
    {SDL_HAT_UP, "hat up"},
    {SDL_HAT_RIGHT, "hat right"},
    {SDL_HAT_DOWN, "hat down"},
    {SDL_HAT_LEFT, "hat left"},
}};

// The one code point that the text spells in UTF-8, if it spells exactly one.
std::optional<int> OneCodePoint(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    // The length that the first byte announces; 0 for a byte that no character starts with, or
    // one that would start a character written longer than it need be.
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xc2 ? 0
                               : lead < 0xe0 ? 2
                               : lead < 0xf0 ? 3
                               : lead < 0xf5 ? 4
                                             : 0;
    if (text.size() != length) {
        return std::nullopt;
    }
    // The first byte's bits after its marker, whose last bit is a zero.
    int point = lead & (0x7f >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xc0) != 0x80) {
            return std::nullopt;
        }
        point = (point << 6) | (next & 0x3f);
    }
    return point;
}

// Keys whose code is the character they type but whose name is a word.
constexpr std::array<std::pair<SDL_Scancode, SDL_Keycode>, 6> NamedCharacterKeys = {{
    {SDL_SCANCODE_RETURN, SDLK_RETURN},
    {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE},
    {SDL_SCANCODE_TAB, SDLK_TAB},
    {SDL_SCANCODE_SPACE, SDLK_SPACE},
    {SDL_SCANCODE_DELETE, SDLK_DELETE},
}};

// Commas part the names in a line, so the comma keys are written by a word.
constexpr std::string_view CommaWord = "Comma";

std::string SpelledKeyName(SDL_Keycode key) {
    std::string name = SDL_GetKeyName(key);
    if (!name.empty() && name.back() == ',') {
        name.replace(name.size() - 1, 1, CommaWord);
    }
    return name;
}

bool ReadKeyName(std::string_view spelled, Input& input) {
    std::string name(spelled);
    if (name.size() >= CommaWord.size() &&
        Lower(name.substr(name.size() - CommaWord.size())) == Lower(CommaWord)) {
        name.replace(name.size() - CommaWord.size(), CommaWord.size(), ",");
    }
    // A settings line holds no control characters and its names no spaces at either end.
    if (const auto point = OneCodePoint(name)) {
        const bool capital = *point >= 'A' && *point <= 'Z';
        input = {Device::Key, capital ? *point - 'A' + 'a' : *point};
        return true;
    }
    // The scan code's name, read without the keyboard layout: every key whose name is a word
    // types no character but those few.
    const SDL_Scancode scancode = SDL_GetScancodeFromName(name.c_str());
    if (scancode == SDL_SCANCODE_UNKNOWN) {
        return false;
    }
    SDL_Keycode key = SDL_SCANCODE_TO_KEYCODE(scancode);
    for (const auto& [code, named] : NamedCharacterKeys) {
        key = code == scancode ? named : key;
    }
    input = {Device::Key, key};
    return Lower(InputName(input)) == Lower(spelled);
}

bool ReadJoystickName(std::string_view name, Input& input) {
    const std::string lower = Lower(name);
    for (const HatName& hat : HatNames) {
        if (lower == hat.name) {
            input = {Device::Joystick, HatCode | hat.direction};
            return true;
        }
    }
    constexpr std::string_view Button = "button";
    std::string_view number = lower;
    if (number.substr(0, Button.size()) != Button) {
        return false;
    }
    number = Trim(number.substr(Button.size()));
    if (number.empty() || number.size() > 3 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int button = std::stoi(std::string(number));
    input = {Device::Joystick, button};
    return button < MostJoystickButtons;
}
} // namespace

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string InputName(Input input) {
    switch (input.device) {
    case Device::Key:
        return SpelledKeyName(input.code);
    case Device::Pad: {
        const char* name =
            SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(input.code));
        return name != nullptr ? name : "?";
    }
    case Device::Joystick:
        break;
    }
    for (const HatName& hat : HatNames) {
        if (input.code == (HatCode | hat.direction)) {
            return hat.name;
        }
    }
    return "button " + std::to_string(input.code);
}

bool ReadInputName(Device device, std::string_view name, Input& input) {
    switch (device) {
    case Device::Key:
        return ReadKeyName(name, input);
    case Device::Pad: {
        const SDL_GameControllerButton button =
            SDL_GameControllerGetButtonFromString(std::string(name).c_str());
        input = {Device::Pad, button};
        return button != SDL_CONTROLLER_BUTTON_INVALID;
    }
    case Device::Joystick:
        break;
    }
    return ReadJoystickName(name, input);
}
