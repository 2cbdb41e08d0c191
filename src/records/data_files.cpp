#include "data_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

unsigned FilesChanged;

namespace {
constexpr int MostSetAside = 1000;

#ifdef _WIN32
bool FlushToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

// Renaming a file within its folder on Windows writes the folder's entry through at once.
void FlushFolder(const fs::path&) {}
#else
bool FlushToDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

// The rename is only lasting once the folder's entry is on the disk too.
void FlushFolder(const fs::path& folder) {
    const int handle = open(folder.empty() ? "." : folder.c_str(), O_RDONLY);
    if (handle >= 0) {
        fsync(handle);
        close(handle);
    }
}
#endif
} // namespace

#ifdef _WIN32
struct FileLock {
    HANDLE handle;
};

void FileLockRelease::operator()(FileLock* lock) const {
    OVERLAPPED whole{};
    UnlockFileEx(lock->handle, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(lock->handle);
    delete lock;
}

HeldLock LockFile(const std::string& path, std::string& why) {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = "cannot open the lock file (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        why = "cannot lock (error " + std::to_string(GetLastError()) + ")";
        CloseHandle(handle);
        return nullptr;
    }
    return HeldLock(new FileLock{handle});
}
#else
struct FileLock {
    int handle;
};

void FileLockRelease::operator()(FileLock* lock) const {
    close(lock->handle); // which releases the lock
    delete lock;
}

HeldLock LockFile(const std::string& path, std::string& why) {
    const int handle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (handle < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    int locked = 0;
    while ((locked = flock(handle, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        why = std::strerror(errno);
        close(handle);
        return nullptr;
    }
    return HeldLock(new FileLock{handle});
}
#endif

bool ReadWholeFile(const std::string& path, std::string& text, std::string& why) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    std::string read;
    char block[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && read.size() <= MaxFileBytes) {
        read.append(block, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int failure = errno; // a folder fails here, not at opening
    std::fclose(file);
    if (failed || read.size() > MaxFileBytes) {
        why = failed ? std::strerror(failure) : "larger than any file of the game's";
        return false;
    }
    text = std::move(read);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& text, std::string& why) {
    const std::string fresh = path + ".new";
    std::FILE* file = std::fopen(fresh.c_str(), "wb");
    if (file == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                         std::fflush(file) == 0 && FlushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (!written || !closed) {
        why = "cannot be written whole";
    } else {
        fs::rename(fresh, path, error);
        if (!error) {
            FlushFolder(fs::path(path).parent_path());
            ++FilesChanged;
            return true;
        }
        why = error.message();
    }
    fs::remove(fresh, error);
    return false;
}

std::string SetAside(const std::string& path) {
    for (int n = 1; n <= MostSetAside; ++n) {
        const std::string aside = n == 1 ? path + ".bad" : path + "." + std::to_string(n) + ".bad";
        std::error_code error;
        if (fs::exists(aside, error) || error) {
            continue;
        }
        fs::rename(path, aside, error);
        FilesChanged += !error;
        return error ? "" : aside;
    }
    return "";
}

void RemoveFile(const std::string& path) {
    std::error_code error;
    FilesChanged += fs::remove(path, error);
}

std::string WithSeparator(const std::string& folder) {
#ifdef _WIN32
    const bool ended = folder.back() == '/' || folder.back() == '\\';
#else
    const bool ended = folder.back() == '/'; // a backslash is a character of the name
#endif
    return ended ? folder : folder + "/";
}

bool MakeFolder(const std::string& path, std::string& why) {
    std::error_code error;
    // An existing file in its place is an error too ("File exists").
    fs::create_directories(path, error);
    if (error) {
        why = error.message();
        return false;
    }
    return true;
}
