// The files on the disk: written whole or not at all, a broken file set aside and never
// overwritten, and the lock that one program at a time holds.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data_files.h"

namespace fs = std::filesystem;

namespace {
struct Folder {
    std::string path = testing::TempDir() + "velmora-files-" + std::to_string(getpid()) + "/";
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string read(const std::string& name) const {
        std::string text, why;
        return ReadWholeFile(path + name, text, why) ? text : "(" + why + ")";
    }
};
} // namespace

// The flushes to the disk that took, of what was written, counted on their way to the C library's.
static int Flushed;
extern "C" int fsync(int handle) {
    static const auto flush = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    struct stat written {};
    const bool empty = fstat(handle, &written) == 0 && written.st_size == 0;
    const int result = flush(handle);
    Flushed += result == 0 && !empty;
    return result;
}

// A file is replaced whole and no part of the writing stays; a broken file is set aside beside
// the ones set aside before; the lock keeps another program out until it is released.
TEST(Files, AreReplacedWholeSetAsideWhenBrokenAndLockedByOneProgram) {
    Folder folder;
    std::string why;
    const unsigned changedBefore = FilesChanged;
    close(0); // standard input: the folders and the lock open as handle 0, and count the same
    const auto handles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto before = std::pair(handles(), Flushed);
    for (const char* text : {"old\n", "new\n"}) {
        ASSERT_TRUE(WriteWholeFile(folder.path + "ranking.txt", text, why)) << why;
        EXPECT_EQ(folder.read("ranking.txt"), text);
    }
    // clang-format off
    EXPECT_EQ(std::pair(handles(), Flushed), std::pair(before.first, before.second + 4)) << "each file and its folder flushed, and closed";
    // clang-format on
    // No folder, a full disk, a folder where the file goes: nothing written, and no writing left.
    fs::create_symlink("/dev/full", folder.path + "full.txt.new");
    fs::create_directories(folder.path + "folder.txt/in");
    // clang-format off
    for (const auto& [name, said] : {std::pair("gone/ranking.txt", "No such file or directory"), {"full.txt", "cannot be written whole"}, {"folder.txt", "Is a directory"}}) {
        const bool written = WriteWholeFile(folder.path + name, "x", why);
        EXPECT_EQ(std::tuple(written, why, fs::exists(folder.path + name + ".new")), std::tuple(false, said, false)) << name;
    }
    // clang-format on
    EXPECT_EQ(folder.read("none.txt"), "(No such file or directory)");
    // As large a file as the game reads, one a byte larger, and one without end.
    fs::create_symlink("/dev/zero", folder.path + "endless.txt");
    std::ofstream(folder.path + "large.txt");
    fs::resize_file(folder.path + "large.txt", 64u << 20);
    EXPECT_EQ(folder.read("large.txt").size(), 64u << 20);
    fs::resize_file(folder.path + "large.txt", (64u << 20) + 1);
    // clang-format off
    EXPECT_EQ(folder.read("large.txt") + folder.read("endless.txt"), "(larger than any file of the game's)(larger than any file of the game's)");
    // clang-format on

    for (int n = 3; n < 999; ++n) { // set aside before
        std::ofstream(folder.path + "ranking.txt." + std::to_string(n) + ".bad");
    }
    // A link to itself: whatever it is, nothing is renamed over it.
    fs::create_symlink("ranking.txt.999.bad", folder.path + "ranking.txt.999.bad");
    for (const char* want : {"ranking.txt.bad", "ranking.txt.2.bad", "ranking.txt.1000.bad", ""}) {
        ASSERT_TRUE(WriteWholeFile(folder.path + "ranking.txt", want, why));
        EXPECT_EQ(SetAside(folder.path + "ranking.txt"), *want ? folder.path + want : "") << want;
    }
    EXPECT_EQ(folder.read("ranking.txt.bad"), "ranking.txt.bad") << "never overwritten";
    EXPECT_EQ(folder.read("ranking.txt.2.bad"), "ranking.txt.2.bad");
    EXPECT_TRUE(fs::exists(folder.path + "ranking.txt")) << "a thousand set aside: no room";
    RemoveFile(folder.path + "ranking.txt.bad");
    RemoveFile(folder.path + "ranking.txt.bad");
    EXPECT_EQ(FilesChanged - changedBefore, 2 + 4 + 3 + 1u) << "writes, settings aside, removals";

    umask(022); // as most players have it: the lock file is readable by all, written by its owner
    const std::string other = "flock -n " + folder.path + "ranking.lock true";
    errno = EINTR; // left by an earlier call: the lock is taken once, at once
    {
        const HeldLock lock = LockFile(folder.path + "ranking.lock", why);
        ASSERT_TRUE(lock) << why;
        EXPECT_EQ(fs::status(folder.path + "ranking.lock").permissions(), fs::perms(0644));
        EXPECT_NE(std::system(other.c_str()), 0) << "held";
    }
    EXPECT_EQ(std::system(other.c_str()), 0) << "released";
    EXPECT_FALSE(LockFile(folder.path + "gone/ranking.lock", why));
    open("/dev/null", O_RDONLY); // standard input again
}
