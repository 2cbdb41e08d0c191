// The settings file, settings.ini in the player's configuration folder, kept by the main thread:
// read once at start-up and never rewritten then, written whole whenever the player changes the
// keys, the sound or the window mode. Nothing about it ever ends or stalls the game: whatever
// fails is said in one line on standard error, and the game goes on with what it has.
#pragma once

#include <string>

#include "settings.h"

constexpr const char* SettingsFileName = "settings.ini";
// A larger file is no settings file of ours.
constexpr std::size_t MaxSettingsBytes = 64 << 10;

// Main thread only: the settings in force, as read at start-up and changed since.
extern Settings CurrentSettings;

// VELMORA_CONFIG_DIR when set; else on Windows %APPDATA%\velmora, elsewhere
// $XDG_CONFIG_HOME/velmora or ~/.config/velmora. Ends in the separator; empty when there is none.
std::string ConfigFolder();

// Reads the file into CurrentSettings: each line it cannot use is said, with the file and the
// line, and skipped; a file that cannot be read at all leaves the defaults.
void LoadSettings();

// Writes CurrentSettings whole, making the folder if missing. The first time it replaces a file
// that had lines it could not use, the old file is set aside as settings.ini.bad.
void SaveSettings();
