#include "key_settings.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {
// As the well shows them: the glyph sheet has capitals only.
constexpr std::array<const char*, ChosenControls.size()> ControlWords = {
    "LEFT", "RIGHT", "DOWN", "ROTATE CCW", "ROTATE CW", "ROTATE CCW 2",
};

std::string Capitals(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The screen names only the controls that it asks for.
std::string WordFor(InputBits control) {
    const auto chosen = std::find_if(ChosenControls.begin(), ChosenControls.end(),
                                     [control](const auto& c) { return c.control == control; });
    return ControlWords[chosen - ChosenControls.begin()];
}
} // namespace

KeySettingsScreen OpenKeySettings(const Bindings& bindings) {
    return {true, 0, bindings, ""};
}

KeySettingsScreen StepKeySettings(KeySettingsScreen screen, Input press) {
    if (!screen.open) {
        return screen;
    }
    screen.refusal.clear();
    if (press == Input{Device::Key, SDLK_ESCAPE}) {
        screen.open = false;
        return screen;
    }
    if (press == Input{Device::Key, SDLK_BACKSPACE}) {
        screen.bindings = DefaultBindings();
        screen.asking = 0;
        return screen;
    }
    if (ProgramInput(press)) {
        screen.refusal = "USED BY THE GAME";
        return screen;
    }
    // The settings file names every key it binds.
    if (InputName(press).empty()) {
        screen.refusal = "KEY WITHOUT A NAME";
        return screen;
    }
    const InputBits control = ChosenControls[screen.asking].control;
    const InputBits holder = Assign(screen.bindings, control, press);
    if (holder != 0) {
        screen.refusal = "TAKEN BY " + WordFor(holder);
        return screen;
    }
    screen.asking += 1;
    screen.open = screen.asking < ChosenControls.size();
    return screen;
}

std::vector<std::string> KeySettingsWords(const KeySettingsScreen& screen) {
    const InputBits control = ChosenControls[screen.asking].control;
    std::string now;
    for (const Binding& binding : screen.bindings) {
        if (binding.control == control && binding.input.device == Device::Key) {
            now += (now.empty() ? "" : ", ") + Capitals(InputName(binding.input));
        }
    }
    return {"KEYS",         "PRESS FOR", WordFor(control),     "NOW: " + now,
            screen.refusal, "ESC: DONE", "BACKSPACE: DEFAULTS"};
}
