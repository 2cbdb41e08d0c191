// The player's records, kept by the main thread: the data folder, the ranking shown beside the
// well, the first game of the run (a new one or a replay), and every game that the timer thread
// hands back at its end, written as a replay and entered in the ranking under the folder's lock.
// Whatever fails is said in one line on standard error, and the game goes on.
#pragma once

#include <string>

// The data folder: VELMORA_DATA_DIR when set, else the media library's folder for the user's
// data (on Linux $XDG_DATA_HOME/velmora or ~/.local/share/velmora, on Windows
// %APPDATA%\velmora), made if missing. Empty, said why, when there is none.
std::string FindDataFolder();

// Finds the data folder and reads the ranking into the panel; a ranking that cannot be read is
// set aside as ranking.txt.bad and a fresh one starts.
void OpenRecords();

// Asks for the run's first game, before the logic timer starts: the replay that the argument
// names (a file, or a place in the ranking: "1" the best), or when it is empty or names nothing
// playable, a new game of the player's.
void StartFirstGame(const std::string& replay);

// Main loop: keeps a game that the timer thread has handed back, if any. Answers whether the
// ranking on screen changed.
bool KeepFinishedGame();
