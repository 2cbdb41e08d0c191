#include "records_keeper.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "data_files.h"
#include "dealer.h"
#include "live_recording.h"
#include "ranking.h"
#include "ranking_panel.h"
#include "text_lines.h"

namespace {
constexpr const char* RankingFile = "ranking.txt";
constexpr const char* LockName = "ranking.lock";

// A text that the media library made, given back to it with SDL_free.
using LibraryText = std::unique_ptr<char, void (*)(void*)>;

// Main thread only.
std::string DataFolder; // ends in the separator; empty when nothing can be kept
Ranking Kept;           // as the ranking file last read or written holds it
Replay FirstReplay;     // the replay played back, alive while it plays
FinishedGame Finished;

void Say(const std::string& what) {
    std::fprintf(stderr, "velmora: %s\n", what.c_str());
}

std::string InFolder(const std::string& name) {
    return DataFolder + name;
}

// The ranking file as it stands; a file that cannot be read is set aside and an empty ranking
// takes its place. Called under the folder's lock.
Ranking ReadKeptRanking() {
    Ranking ranking;
    const std::string path = InFolder(RankingFile);
    std::string text, why;
    if (!ReadWholeFile(path, text, why)) {
        return {}; // not there yet
    }
    why = ReadRanking(text, ranking);
    if (!why.empty()) {
        const std::string aside = SetAside(path);
        Say(path + ": " + why +
            (aside.empty() ? "; it could not be set aside either"
                           : "; kept as " + aside + ", a fresh ranking starts"));
        ranking = {};
    }
    return ranking;
}

void ShowRanking(int marked) {
    ShownRanking.entries = Kept.entries;
    ShownRanking.marked = marked;
}

std::string Stamp(std::time_t now, const char* format) {
    char text[32];
    const std::tm* utc = std::gmtime(&now);
    std::strftime(text, sizeof text, format, utc);
    return text;
}
} // namespace

std::string FindDataFolder() {
    std::string folder, why;
    const char* chosen = std::getenv("VELMORA_DATA_DIR");
    if (chosen != nullptr && *chosen != '\0') {
        folder = WithSeparator(chosen);
    } else if (const LibraryText user(SDL_GetPrefPath("", "velmora"), SDL_free); user) {
        folder = user.get();
    } else {
        Say(std::string("no folder for the player's data (") + SDL_GetError() +
            "): no game will be kept");
        return "";
    }
    if (!MakeFolder(folder, why)) {
        Say(folder + ": " + why + ": no game will be kept");
        return "";
    }
    return folder;
}

void OpenRecords() {
    DataFolder = FindDataFolder();
    if (DataFolder.empty()) {
        return;
    }
    std::string why;
    const HeldLock lock = LockFile(InFolder(LockName), why);
    if (!lock) {
        Say(InFolder(LockName) + ": " + why + ": no game will be kept");
        DataFolder.clear();
        return;
    }
    Kept = ReadKeptRanking();
    ShowRanking(-1);
}

void StartFirstGame(const std::string& replay) {
    if (replay.empty()) {
        RequestNewGame(FreshSeed());
        return;
    }
    std::string path = replay, text, why;
    std::uint32_t place{}; // read only once ReadNumber has set it
    if (ReadNumber(replay, RankingSize, place) && place >= 1) {
        if (place > Kept.entries.size()) {
            Say("the ranking holds no game " + replay + "; a new game starts");
            RequestNewGame(FreshSeed());
            return;
        }
        path = InFolder(Kept.entries[place - 1].replayFile);
    }
    if (!ReadWholeFile(path, text, why)) {
        why = path + ": " + why;
    } else if (const std::string wrong = ReadReplay(text, FirstReplay); !wrong.empty()) {
        why = path + ": " + wrong;
    } else if (FirstReplay.dealer != DealingLibrary) {
        why = path + ": dealt by " + FirstReplay.dealer + "'s rand, which this program has not";
    } else {
        RequestReplay(FirstReplay);
        return;
    }
    Say(why + "; a new game starts");
    RequestNewGame(FreshSeed());
}

bool KeepFinishedGame() {
    if (!TakeFinishedGame(Finished)) {
        return false;
    }
    const std::time_t now = std::time(nullptr);
    char seed[16];
    std::snprintf(seed, sizeof seed, "%08x", Finished.seed);
    const Replay replay{Finished.seed, DealingLibrary, Stamp(now, "%Y-%m-%dT%H:%M:%SZ"),
                        Finished.result, Finished.runs};
    const RankEntry entry{replay.result, replay.date,
                          "replay-" + Stamp(now, "%Y%m%d-%H%M%S-") + seed + ".txt"};
    std::string why;
    if (DataFolder.empty()) {
        ShowRanking(EnterRanking(Kept, entry)); // shown for this run, kept nowhere
        return true;
    }
    if (!WriteWholeFile(InFolder(entry.replayFile), WriteReplay(replay), why)) {
        Say(InFolder(entry.replayFile) + ": " + why + ": the game is not kept");
        ShowRanking(EnterRanking(Kept, entry));
        return true;
    }
    // Read afresh under the lock: another program may have entered its games meanwhile.
    const HeldLock lock = LockFile(InFolder(LockName), why);
    if (!lock) {
        Say(InFolder(LockName) + ": " + why + ": the ranking is not changed");
        return false;
    }
    const Ranking before = ReadKeptRanking();
    Ranking after = before;
    const int place = EnterRanking(after, entry);
    after.lastReplay = entry.replayFile;
    if (!WriteWholeFile(InFolder(RankingFile), WriteRanking(after), why)) {
        Say(InFolder(RankingFile) + ": " + why + ": the ranking is not changed");
        return false;
    }
    for (const std::string& dropped : ReplaysDropped(before, after)) {
        RemoveFile(InFolder(dropped));
    }
    Kept = after;
    ShowRanking(place);
    return true;
}
