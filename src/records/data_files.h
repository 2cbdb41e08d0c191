// The files that the program keeps, on the disk: read whole, written whole or not at all, a
// file that cannot be read set aside, and a lock that lets one program at a time change the
// ranking. The one place where the platforms differ (Windows or POSIX).
#pragma once

#include <memory>
#include <string>

// No file of ours is larger; a larger one is not ours.
constexpr std::size_t MaxFileBytes = 64 << 20;

// Main thread only: how many times a file has been written, set aside or removed. The browser's
// shell writes its storage after each.
extern unsigned FilesChanged;

// Reads the whole file; answers false, with the reason in `why`, when it cannot.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& why);

// Writes the text to NAME.new in the same folder, flushes it to the disk and renames it over
// NAME: a crash at any moment leaves the old file or the new one, never a part of either.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& why);

// Renames a file that cannot be read to NAME.bad, or NAME.2.bad and on if that is taken, so that
// it is never overwritten; answers the new path, or an empty text when it could not.
std::string SetAside(const std::string& path);

// Removes a file; a file already gone is no failure.
void RemoveFile(const std::string& path);

// The folder's name (not empty) ending in a separator, to which a file's name is added.
std::string WithSeparator(const std::string& folder);

// Makes the folder and those above it; answers false, with the reason, when it cannot.
bool MakeFolder(const std::string& path, std::string& why);

// An exclusive lock on the file (made if missing), held until the lock is destroyed. Another
// program taking the same lock waits for it. Null, with the reason, when it cannot be taken.
struct FileLock;
struct FileLockRelease {
    void operator()(FileLock* lock) const;
};
using HeldLock = std::unique_ptr<FileLock, FileLockRelease>;
HeldLock LockFile(const std::string& path, std::string& why);
