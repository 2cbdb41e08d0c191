// The settings file's text, read and written, and the key settings screen as a step of presses.
#include <gtest/gtest.h>

#include <sstream>

#include "key_settings.h"
#include "settings.h"

// The lines of the text, parted by '|'.
static std::vector<std::string> Lines(const std::string& text) {
    std::istringstream parts(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(parts, line, '|');) {
        lines.push_back(line);
    }
    return lines;
}

// The lines that do not stand whole in the settings written, and what was written.
static std::string Missing(const Settings& settings, const std::string& lines) {
    const std::string written = WriteSettings(settings);
    std::string missing;
    for (const std::string& line : Lines(lines)) {
        missing += written.find("\n" + line + "\n") == std::string::npos ? line + "\n" : "";
    }
    return missing.empty() ? "" : missing + "not in\n" + written;
}

// Each row's text is in the settings fuzz corpus too, whose every file, read, is written, read
// again without a message and written the same.
TEST(Settings, EachLineIsReadOrRefusedWithItsNumberAndWhy) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"nothing: the defaults", "", "left = A|right = D|rotate_ccw2 = P|sound = on|window = window", ""}, {"several keys, names with spaces, any case", "[keys]\nleft = a, LEFT, keypad 4\n", "left = A, Left, Keypad 4|right = D", ""},
        {"comments, blanks, CRLF, a control left out", "# c\n; c\n\n [KEYS] \r\n Right =\t\r Right Shift\t\r\n", "left = A|right = Right Shift", ""},
        {"keys by the character they type, each length's ends", "[keys]\nleft = ~, \xc2\x80, \xdf\xbf, \xe0\xa0\x80, \xef\xbf\xbf, \xf0\x90\x80\x80, \xf4\x8f\xbf\xbf\n", "left = ~, \xc2\x80, \xdf\xbf, \xe0\xa0\x80, \xef\xbf\xbf, \xf0\x90\x80\x80, \xf4\x8f\xbf\xbf", ""},
        {"the comma keys by a word", "[keys]\nleft = comma, Keypad Comma, .\n", "left = Comma, Keypad Comma, .", ""},
        {"two controls swap keys", "[keys]\nleft = D\nright = A\n", "left = D|right = A", ""}, {"the unread controls' keys are free", "[keys]\nleft = W, Space\n", "left = W, Space", ""},
        {"a control given nothing", "[keys]\nrotate_cw =\nleft = O\n", "rotate_cw =|left = O", ""}, {"another control's default, named for pads only", "[pad]\nright = y\n[keys]\nleft = D\n", "left = A|right = D", "line 4: D is already right's"},
        {"a key given twice", "[keys]\nleft = J\nright = J\n", "left = J|right = D", "line 3: J is already left's"},
        {"a control given twice, the second time a key held too", "[keys]\nleft = J\nleft = D\n", "left = J", "line 3: left is given on an earlier line"},
        {"the program's keys; F3 is free", "[keys]\ndown = Escape\ndown = return\ndown = Keypad Enter\ndown = F2\ndown = F11\ndown = M\ndown = F3\n", "down = F3",
         "line 2: Escape is the program's own|line 3: Return is the program's own|line 4: Keypad Enter is the program's own|"
         "line 5: F2 is the program's own|line 6: F11 is the program's own|line 7: M is the program's own"},
        {"unknown names", "[keys]\njump = J\nleft = Lefty\nleft = A,,D\nleft = \xc1\x81\nleft = \x80\nleft = \xf5\nleft = \xe2\x82\nleft = \xe2\x82\xc0\nleft = \xf5\x80\x80\x80\n"
         "[joystick]\nleft = button 99999999999\nleft = button\nleft = trigger\nleft = button +1\nleft = button 1a\n", "left = A",
         "line 2: unknown control \"jump\"|line 3: unknown name \"Lefty\"|line 4: an empty name in the list|line 5: unknown name \"\xc1\x81\"|"
         "line 6: unknown name \"\x80\"|line 7: unknown name \"\xf5\"|line 8: unknown name \"\xe2\x82\"|line 9: unknown name \"\xe2\x82\xc0\"|"
         "line 10: unknown name \"\xf5\x80\x80\x80\"|line 12: unknown name \"button 99999999999\"|"
         "line 13: unknown name \"button\"|line 14: unknown name \"trigger\"|line 15: unknown name \"button +1\"|line 16: unknown name \"button 1a\""},
        {"no '=', no section, junk", "left = J\n[keys]\nleft J]\nright = \x01\xff\ndown = \x7f\n[pad\n", "left = A|right = D",
         "line 1: not under [keys], [pad], [joystick] or [options]|line 3: expected NAME = VALUE|line 4: not text|"
         "line 5: not text|line 6: expected NAME = VALUE"},
        {"an unknown section is skipped whole", "[mouse]\nleft = 1\n[keys]\nleft = J\n", "left = J", "line 1: unknown section [mouse]; its lines are skipped"},
        {"pads, joysticks, options", "[pad]\nrotate_cw = Y\nleft = start\n[joystick]\nleft = button 27, button 255, hat left\ndown = button 256\nrotate_cw = button 9\n"
         "[options]\nsound = off\nwindow=fullscreen\nvolume = on\nsound = fullscreen\nwindow = on\n",
         "rotate_cw = y|left = button 27, button 255, hat left|down = hat down|rotate_cw = button 9|sound = off|window = fullscreen",
         "line 3: start is the program's own|line 6: unknown name \"button 256\"|line 11: unknown setting \"volume\"|"
         "line 12: expected sound = on or off|line 13: expected window = window or fullscreen"},
    };
    // clang-format on
    for (const auto& [name, text, want, wantProblems] : cases) {
        const SettingsRead read = ReadSettings(text);
        EXPECT_EQ(Missing(read.settings, want), "") << name;
        EXPECT_EQ(read.problems, Lines(wantProblems)) << name;
    }
    const Bindings read = ReadSettings("[keys]\nleft=A\nright=Z").settings.bindings;
    // clang-format off
    EXPECT_EQ(std::pair(BoundControl(read, {Device::Key, 'a'}), BoundControl(read, {Device::Key, 'z'})), std::pair(Left, Right))
        << "a capital letter is its key";
    // clang-format on
}

TEST(KeySettings, EachPressIsTakenOrRefusedAndEscapeOrTheLastControlCloses) {
    const auto key = [](SDL_Keycode code) { return Input{Device::Key, code}; };
    const Input start{Device::Pad, SDL_CONTROLLER_BUTTON_START};
    // The presses, then the control asked for (6 once closed), the refusal shown and the bindings.
    // clang-format off
    const std::tuple<const char*, std::vector<Input>, std::size_t, const char*, const char*> cases[] = {
        {"all six in order, then none", {key('j'), key('l'), key('k'), key('u'), key('o'), key('p'), key('q')}, 6, "", "left = J|right = L|down = K|rotate_ccw = U|rotate_cw = O|rotate_ccw2 = P"},
        {"another control's key", {key('d')}, 0, "TAKEN BY RIGHT", "left = A|right = D"}, {"the program's keys and Start", {key(SDLK_F11), start}, 0, "USED BY THE GAME", "left = A"},
        {"a key that the media library has no name for", {key(SDLK_SCANCODE_MASK)}, 0, "KEY WITHOUT A NAME", "left = A"}, {"Backspace restores every default", {key('j'), key('l'), key(SDLK_BACKSPACE)}, 0, "", "left = A|right = D"},
        {"a refusal lasts one press", {key('d'), key(SDLK_LEFT)}, 1, "", "left = Left"}, {"Escape part-way", {key('j'), key(SDLK_ESCAPE)}, 6, "", "left = J|right = D"},
        {"a pad's button, a joystick's hat, the unread controls' keys", {{Device::Pad, SDL_CONTROLLER_BUTTON_Y}, {Device::Joystick, HatCode | SDL_HAT_UP}, key('w'), key(' ')}, 4, "", "left = y|right = hat up|left = A|down = W|rotate_ccw = Space"},
    };
    // clang-format on
    for (const auto& [name, presses, asking, refusal, want] : cases) {
        KeySettingsScreen screen = OpenKeySettings(DefaultBindings());
        for (const Input& press : presses) {
            screen = StepKeySettings(screen, press);
        }
        EXPECT_EQ(screen.open ? screen.asking : 6, asking) << name;
        EXPECT_EQ(screen.refusal, refusal) << name;
        EXPECT_EQ(Missing({screen.bindings, false, false}, want), "") << name;
    }
    // clang-format off
    const KeySettingsScreen screen = StepKeySettings(StepKeySettings(OpenKeySettings(ReadSettings("[keys]\nright = right").settings.bindings), key('a')), key('a'));
    const std::vector<std::string> words = {"KEYS", "PRESS FOR", "RIGHT", "NOW: RIGHT", "TAKEN BY LEFT", "ESC: DONE", "BACKSPACE: DEFAULTS"};
    // clang-format on
    EXPECT_EQ(KeySettingsWords(screen), words);
}
