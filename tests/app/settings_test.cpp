// The settings file's text, read and written, and the key settings screen as a step of presses.
#include <gtest/gtest.h>

#include "key_settings.h"
#include "settings.h"

// Each line of `want` stands whole in the text written back, and the messages are as given.
TEST(Settings, EachLineIsReadOrRefusedWithItsNumberAndWhy) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<const char*> want;
        const char* problems;
    };
    const Case cases[] = {
        {"nothing: the defaults",
         "",
         {"left = A", "right = D", "rotate_ccw2 = P", "sound = on"},
         ""},
        {"several keys, names with spaces, any case",
         "[keys]\nleft = a, LEFT, keypad 4\n",
         {"left = A, Left, Keypad 4", "right = D"},
         ""},
        {"comments, blanks, CRLF, a control left out",
         "# c\n; c\n\n [KEYS] \r\n Right =  Right Shift \r\n",
         {"left = A", "right = Right Shift"},
         ""},
        {"two controls swap keys", "[keys]\nleft = D\nright = A\n", {"left = D", "right = A"}, ""},
        {"the keys of the unread controls may be taken",
         "[keys]\nleft = W, Space\n",
         {"left = W, Space"},
         ""},
        {"a control given nothing",
         "[keys]\nrotate_cw =\nleft = O\n",
         {"rotate_cw =", "left = O"},
         ""},
        {"another control's default",
         "[keys]\nleft = D\n",
         {"left = A", "right = D"},
         "line 2: D is already right's"},
        {"a key given twice",
         "[keys]\nleft = J\nright = J\n",
         {"left = J", "right = D"},
         "line 3: J is already left's"},
        {"a control given twice",
         "[keys]\nleft = J\nleft = K\n",
         {"left = J"},
         "line 3: left is given on an earlier line"},
        {"the program's keys; F3 is free",
         "[keys]\ndown = Escape\ndown = return\ndown = Keypad Enter\n"
         "down = F2\ndown = F11\ndown = M\ndown = F3\n",
         {"down = F3"},
         "line 2: Escape is the program's own\nline 3: Return is the program's own\n"
         "line 4: Keypad Enter is the program's own\nline 5: F2 is the program's own\n"
         "line 6: F11 is the program's own\nline 7: M is the program's own"},
        {"unknown names",
         "[keys]\njump = J\nleft = Lefty\nleft = A,,D\n",
         {"left = A"},
         "line 2: unknown control \"jump\"\nline 3: unknown name \"Lefty\"\n"
         "line 4: an empty name in the list"},
        {"no '=', no section, junk",
         "left = J\n[keys]\nleft J\nright = \x01\xff\n",
         {"left = A", "right = D"},
         "line 1: not under [keys], [pad], [joystick] or [options]\n"
         "line 3: expected NAME = VALUE\nline 4: not text"},
        {"an unknown section is skipped whole",
         "[mouse]\nleft = 1\n[keys]\nleft = J\n",
         {"left = J"},
         "line 1: unknown section [mouse]; its lines are skipped"},
        {"pads, joysticks, options",
         "[pad]\nrotate_cw = Y\nleft = start\n[joystick]\nleft = button 255, hat left\n"
         "down = button 256\n[options]\nsound = off\nwindow = fullscreen\nvolume = 3\nsound = "
         "loud\n",
         {"rotate_cw = y", "left = button 255, hat left", "down = hat down", "sound = off",
          "window = fullscreen"},
         "line 3: start is the program's own\nline 6: unknown name \"button 256\"\n"
         "line 10: unknown setting \"volume\"\nline 11: expected sound = on or off"},
    };
    for (const Case& c : cases) {
        const SettingsRead read = ReadSettings(c.text);
        const std::string written = WriteSettings(read.settings);
        for (const char* line : c.want) {
            EXPECT_NE(written.find("\n" + std::string(line) + "\n"), std::string::npos)
                << c.name << ": " << line << " in\n"
                << written;
        }
        std::string problems;
        for (const std::string& problem : read.problems) {
            problems += (problems.empty() ? "" : "\n") + problem;
        }
        EXPECT_EQ(problems, c.problems) << c.name;
        const SettingsRead again = ReadSettings(written);
        EXPECT_TRUE(again.problems.empty()) << c.name;
        EXPECT_EQ(WriteSettings(again.settings), written) << c.name << ": reads back the same";
    }
    const Bindings defaults = DefaultBindings();
    EXPECT_EQ(BoundControl(defaults, {Device::Key, SDLK_w}), Up);
    EXPECT_EQ(BoundControl(defaults, {Device::Key, SDLK_SPACE}), Space);
    EXPECT_EQ(
        BoundControl(ReadSettings("[keys]\nleft=w\n").settings.bindings, {Device::Key, SDLK_w}),
        Left);
}

TEST(KeySettings, EachPressIsTakenOrRefusedAndEscapeOrTheLastControlCloses) {
    const Input escape{Device::Key, SDLK_ESCAPE}, backspace{Device::Key, SDLK_BACKSPACE};
    const auto key = [](SDL_Keycode code) { return Input{Device::Key, code}; };
    struct Case {
        const char* name;
        std::vector<Input> presses;
        std::size_t asking; // 6 once closed
        const char* refusal;
        std::vector<const char*> want;
    };
    const Case cases[] = {
        {"all six in order",
         {key('j'), key('l'), key('k'), key('u'), key('o'), key('p')},
         6,
         "",
         {"left = J", "right = L", "down = K", "rotate_ccw = U", "rotate_cw = O",
          "rotate_ccw2 = P"}},
        {"another control's key", {key('d')}, 0, "TAKEN BY RIGHT", {"left = A", "right = D"}},
        {"the program's keys and Start",
         {key(SDLK_F11), {Device::Pad, SDL_CONTROLLER_BUTTON_START}},
         0,
         "USED BY THE GAME",
         {"left = A"}},
        {"a refusal lasts one press", {key('d'), key(SDLK_LEFT)}, 1, "", {"left = Left"}},
        {"Escape part-way", {key('j'), escape}, 6, "", {"left = J", "right = D"}},
        {"Backspace restores every default",
         {key('j'), key('l'), backspace},
         0,
         "",
         {"left = A", "right = D"}},
        {"a pad's button, a joystick's hat, an unread control's key",
         {{Device::Pad, SDL_CONTROLLER_BUTTON_Y},
          {Device::Joystick, HatCode | SDL_HAT_UP},
          key('w')},
         3,
         "",
         {"left = y", "right = hat up", "left = A", "down = W"}},
    };
    for (const Case& c : cases) {
        KeySettingsScreen screen = OpenKeySettings(DefaultBindings());
        for (const Input& press : c.presses) {
            screen = StepKeySettings(screen, press);
        }
        EXPECT_EQ(screen.open ? screen.asking : 6, c.asking) << c.name;
        EXPECT_EQ(screen.refusal, c.refusal) << c.name;
        const std::string written = WriteSettings({screen.bindings, false, false});
        for (const char* line : c.want) {
            EXPECT_NE(written.find("\n" + std::string(line) + "\n"), std::string::npos)
                << c.name << ": " << line << " in\n"
                << written;
        }
    }
    KeySettingsScreen screen = StepKeySettings(OpenKeySettings(DefaultBindings()), key('a'));
    screen = StepKeySettings(screen, key('a'));
    const std::vector<std::string> words = {
        "KEYS",      "PRESS FOR",          "RIGHT", "NOW: D", "TAKEN BY LEFT",
        "ESC: DONE", "BACKSPACE: DEFAULTS"};
    EXPECT_EQ(KeySettingsWords(screen), words);
}
