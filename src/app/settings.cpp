#include "settings.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

namespace {

struct Section {
    const char* name;
    Device device;
};
constexpr std::array<Section, 3> InputSections = {{
    {"keys", Device::Key},
    {"pad", Device::Pad},
    {"joystick", Device::Joystick},
}};
constexpr const char* OptionsSection = "options";

void Add(Bindings& bindings, Device device, std::initializer_list<std::pair<int, InputBits>> list) {
    for (const auto& [code, control] : list) {
        bindings.push_back({{device, code}, control});
    }
}

bool Text(std::string_view line) {
    return std::none_of(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) < ' ' && c != '\t' && c != '\r') || c == 0x7f;
    });
}

// One line of an input section, read alone: the control and its inputs, or why it cannot be used.
struct InputLine {
    int number = 0;
    Device device = Device::Key;
    InputBits control = 0;
    std::vector<Input> inputs;
};

std::string ReadInputLine(std::string_view name, std::string_view value, InputLine& line) {
    const auto chosen = std::find_if(ChosenControls.begin(), ChosenControls.end(),
                                     [&](const ChosenControl& c) { return Lower(name) == c.name; });
    if (chosen == ChosenControls.end()) {
        return "unknown control \"" + std::string(name) + "\"";
    }
    line.control = chosen->control;
    // Nothing after '=' is a control given no input of the device.
    while (!Trim(value).empty()) {
        const std::size_t comma = value.find(',');
        const std::string_view item = Trim(value.substr(0, comma));
        Input input;
        if (item.empty()) {
            return "an empty name in the list";
        }
        if (!ReadInputName(line.device, item, input)) {
            return "unknown name \"" + std::string(item) + "\"";
        }
        if (ProgramInput(input)) {
            return InputName(input) + " is the program's own";
        }
        if (std::find(line.inputs.begin(), line.inputs.end(), input) == line.inputs.end()) {
            line.inputs.push_back(input);
        }
        if (comma == std::string_view::npos) {
            return "";
        }
        value.remove_prefix(comma + 1);
    }
    return "";
}

std::string ReadOption(std::string_view name, std::string_view value, Settings& settings) {
    const std::string option = Lower(name), choice = Lower(value);
    if (option == "sound" && (choice == "on" || choice == "off")) {
        settings.muted = choice == "off";
    } else if (option == "window" && (choice == "window" || choice == "fullscreen")) {
        settings.fullscreen = choice == "fullscreen";
    } else {
        return option == "sound"    ? "expected sound = on or off"
               : option == "window" ? "expected window = window or fullscreen"
                                    : "unknown setting \"" + std::string(name) + "\"";
    }
    return "";
}

// `control` is one of ChosenControls.
const char* ControlName(InputBits control) {
    return std::find_if(ChosenControls.begin(), ChosenControls.end(),
                        [control](const ChosenControl& c) { return c.control == control; })
        ->name;
}

// Whether the file's usable lines name the control for the device.
bool Named(const std::vector<InputLine>& lines, Device device, InputBits control) {
    return std::any_of(lines.begin(), lines.end(), [&](const InputLine& line) {
        return line.device == device && line.control == control;
    });
}

// The lines of the input sections that each read alone, taken in order: a line is refused when it
// names a control again, or gives an input that an earlier line gave another control or that is
// the default of a control that no line names.
Bindings Resolve(const std::vector<InputLine>& lines, std::map<int, std::string>& problems) {
    const Bindings defaults = DefaultBindings();
    Bindings given;
    std::vector<std::pair<Device, InputBits>> done;
    for (const InputLine& line : lines) {
        std::string why;
        if (std::count(done.begin(), done.end(), std::pair(line.device, line.control)) > 0) {
            why = std::string(ControlName(line.control)) + " is given on an earlier line";
        }
        for (const Input& input : line.inputs) {
            const InputBits earlier = BoundControl(given, input);
            const InputBits byDefault = BoundControl(defaults, input);
            // A control that no line of the device names keeps its default inputs of it; a line
            // that names it (this one, say) frees them.
            const bool defaultHeld =
                std::any_of(ChosenControls.begin(), ChosenControls.end(),
                            [&](const ChosenControl& c) { return c.control == byDefault; }) &&
                !Named(lines, line.device, byDefault);
            const InputBits other = earlier != 0 ? earlier : defaultHeld ? byDefault : 0;
            // (Never this line's own control: an earlier line would have named it.)
            if (why.empty() && other != 0) {
                why = InputName(input) + " is already " + ControlName(other) + "'s";
            }
        }
        if (!why.empty()) {
            problems[line.number] = why;
            continue;
        }
        done.emplace_back(line.device, line.control);
        for (const Input& input : line.inputs) {
            given.push_back({input, line.control});
        }
    }
    // The rest keep their defaults, but those another line took.
    for (const Binding& binding : defaults) {
        const bool replaced = std::count(done.begin(), done.end(),
                                         std::pair(binding.input.device, binding.control)) > 0;
        if (!replaced && BoundControl(given, binding.input) == 0) {
            given.push_back(binding);
        }
    }
    return given;
}

// The bindings of the device in the order of the chosen controls, as the file lists them; a
// control with none has its line too, so that no default comes back on reading.
std::string WriteSection(const Bindings& bindings, const Section& section) {
    std::string text = std::string("[") + section.name + "]\n";
    for (const ChosenControl& chosen : ChosenControls) {
        std::string names;
        for (const Binding& binding : bindings) {
            if (binding.control == chosen.control && binding.input.device == section.device) {
                names += (names.empty() ? "" : ", ") + InputName(binding.input);
            }
        }
        text += std::string(chosen.name) + " =" + (names.empty() ? "" : " ") + names + "\n";
    }
    return text;
}
} // namespace

Bindings DefaultBindings() {
    Bindings bindings;
    Add(bindings, Device::Key,
        {{SDLK_w, Up},
         {SDLK_d, Right},
         {SDLK_s, Down},
         {SDLK_a, Left},
         {SDLK_i, RotateCcw},
         {SDLK_o, RotateCw},
         {SDLK_p, RotateCcw2},
         {SDLK_SPACE, Space}});
    Add(bindings, Device::Pad,
        {{SDL_CONTROLLER_BUTTON_DPAD_UP, Up},
         {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Right},
         {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Down},
         {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Left},
         {SDL_CONTROLLER_BUTTON_A, RotateCcw},
         {SDL_CONTROLLER_BUTTON_B, RotateCw},
         {SDL_CONTROLLER_BUTTON_X, RotateCcw2}});
    Add(bindings, Device::Joystick,
        {{HatCode | SDL_HAT_UP, Up},
         {HatCode | SDL_HAT_RIGHT, Right},
         {HatCode | SDL_HAT_DOWN, Down},
         {HatCode | SDL_HAT_LEFT, Left},
         {0, RotateCcw},
         {1, RotateCw},
         {2, RotateCcw2}});
    return bindings;
}

Settings DefaultSettings() {
    return {DefaultBindings(), false, false};
}

InputBits BoundControl(const Bindings& bindings, Input input) {
    for (const Binding& binding : bindings) {
        if (binding.input == input) {
            return binding.control;
        }
    }
    return 0;
}

bool ProgramInput(Input input) {
    if (input.device == Device::Pad) {
        return input.code == SDL_CONTROLLER_BUTTON_START;
    }
    const SDL_Keycode key = input.code;
    return input.device == Device::Key &&
           (key == SDLK_ESCAPE || key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_F2 ||
            key == SDLK_F11 || key == SDLK_m);
}

InputBits Assign(Bindings& bindings, InputBits control, Input input) {
    const InputBits holder = BoundControl(bindings, input);
    if (holder != 0 && holder != control && holder != Up && holder != Space) {
        return holder;
    }
    bindings.erase(std::remove_if(bindings.begin(), bindings.end(),
                                  [&](const Binding& binding) {
                                      return binding.input == input ||
                                             (binding.control == control &&
                                              binding.input.device == input.device);
                                  }),
                   bindings.end());
    bindings.push_back({input, control});
    return 0;
}

SettingsRead ReadSettings(std::string_view text) {
    SettingsRead read{DefaultSettings(), {}};
    std::vector<InputLine> lines;
    std::map<int, std::string> problems; // a line has one at most
    const Section* section = nullptr;
    bool options = false, unknownSection = false;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        std::string why;
        const std::size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        } else if (!Text(line)) {
            why = "not text";
        } else if (line[0] == '[' && line.back() == ']') {
            const std::string name = Lower(Trim(line.substr(1, line.size() - 2)));
            const auto known = std::find_if(InputSections.begin(), InputSections.end(),
                                            [&](const Section& s) { return name == s.name; });
            section = known != InputSections.end() ? &*known : nullptr;
            options = name == OptionsSection;
            unknownSection = section == nullptr && !options;
            why = unknownSection ? "unknown section [" + name + "]; its lines are skipped" : "";
        } else if (unknownSection) {
            continue;
        } else if (equals == std::string_view::npos) {
            why = "expected NAME = VALUE";
        } else if (options) {
            why = ReadOption(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)),
                             read.settings);
        } else if (section == nullptr) {
            why = "not under [keys], [pad], [joystick] or [options]";
        } else {
            InputLine input{number, section->device, {}, {}}; // the control is read from the line
            why = ReadInputLine(Trim(line.substr(0, equals)), line.substr(equals + 1), input);
            if (why.empty()) {
                lines.push_back(input);
            }
        }
        if (!why.empty()) {
            problems[number] = why;
        }
    }
    read.settings.bindings = Resolve(lines, problems);
    for (const auto& [lineNumber, why] : problems) { // in the order of the lines
        read.problems.push_back("line " + std::to_string(lineNumber) + ": " + why);
    }
    return read;
}

std::string WriteSettings(const Settings& settings) {
    std::string text = "# Velmora's settings: a control per line, any number of keys or buttons "
                       "after '=', separated by commas.\n";
    for (const Section& section : InputSections) {
        text += "\n" + WriteSection(settings.bindings, section);
    }
    text += std::string("\n[options]\nsound = ") + (settings.muted ? "off" : "on") +
            "\nwindow = " + (settings.fullscreen ? "fullscreen" : "window") + "\n";
    return text;
}
