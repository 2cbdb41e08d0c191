#include "settings_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data_files.h"

Settings CurrentSettings = DefaultSettings();

namespace {
// The file read at start-up had lines that could not be used, and has not been set aside yet.
bool KeepOldFile = false;

void Say(const std::string& what) {
    std::fprintf(stderr, "velmora: %s\n", what.c_str());
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
} // namespace

std::string ConfigFolder() {
    if (const std::string chosen = Environment("VELMORA_CONFIG_DIR"); !chosen.empty()) {
        return WithSeparator(chosen);
    }
#ifdef _WIN32
    const std::string base = Environment("APPDATA");
    return base.empty() ? "" : WithSeparator(base) + "velmora\\";
#else
    if (const std::string base = Environment("XDG_CONFIG_HOME"); !base.empty()) {
        return WithSeparator(base) + "velmora/";
    }
    const std::string home = Environment("HOME");
    return home.empty() ? "" : WithSeparator(home) + ".config/velmora/";
#endif
}

void LoadSettings() {
    const std::string folder = ConfigFolder();
    if (folder.empty()) {
        return;
    }
    const std::string path = folder + SettingsFileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    std::string text, why;
    if (std::filesystem::is_regular_file(path, error) &&
        std::filesystem::file_size(path, error) > MaxSettingsBytes) {
        why = "larger than 64 KB";
    } else if (!ReadWholeFile(path, text, why)) {
        why = "cannot be read (" + why + ")";
    }
    if (!why.empty()) {
        Say(path + ": " + why + "; the default settings hold");
        KeepOldFile = std::filesystem::is_regular_file(path, error);
        return;
    }
    const SettingsRead read = ReadSettings(text);
    for (const std::string& problem : read.problems) {
        Say(path + ": " + problem + "; the line is skipped");
    }
    CurrentSettings = read.settings;
    KeepOldFile = !read.problems.empty();
}

void SaveSettings() {
    const std::string folder = ConfigFolder();
    std::string why;
    if (folder.empty()) {
        Say("no folder for the player's settings: they are not kept");
        return;
    }
    if (!MakeFolder(folder, why)) {
        Say(folder + ": " + why + ": the settings are not kept");
        return;
    }
    const std::string path = folder + SettingsFileName;
    if (KeepOldFile) {
        const std::string aside = SetAside(path);
        if (aside.empty()) {
            Say(path + ": could not be set aside: the settings are not kept");
            return;
        }
        KeepOldFile = false;
    }
    if (!WriteWholeFile(path, WriteSettings(CurrentSettings), why)) {
        Say(path + ": " + why + ": the settings are not kept");
    }
}
