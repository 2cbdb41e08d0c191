// The files on the disk: written whole or not at all, a broken file set aside and never
// overwritten, and the lock that one program at a time holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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

// A file is replaced whole and no part of the writing stays; a broken file is set aside beside
// the ones set aside before; the lock keeps another program out until it is released.
TEST(Files, AreReplacedWholeSetAsideWhenBrokenAndLockedByOneProgram) {
    Folder folder;
    std::string why;
    const unsigned changedBefore = FilesChanged;
    for (const char* text : {"old\n", "new\n"}) {
        ASSERT_TRUE(WriteWholeFile(folder.path + "ranking.txt", text, why)) << why;
        EXPECT_EQ(folder.read("ranking.txt"), text);
    }
    EXPECT_FALSE(fs::exists(folder.path + "ranking.txt.new"));
    EXPECT_FALSE(WriteWholeFile(folder.path + "gone/ranking.txt", "x", why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(folder.read("none.txt"), "(No such file or directory)");

    for (const char* want : {"ranking.txt.bad", "ranking.txt.2.bad", "ranking.txt.3.bad"}) {
        ASSERT_TRUE(WriteWholeFile(folder.path + "ranking.txt", want, why));
        EXPECT_EQ(SetAside(folder.path + "ranking.txt"), folder.path + want);
    }
    EXPECT_EQ(folder.read("ranking.txt.bad"), "ranking.txt.bad") << "never overwritten";
    EXPECT_EQ(folder.read("ranking.txt.2.bad"), "ranking.txt.2.bad");
    EXPECT_FALSE(fs::exists(folder.path + "ranking.txt"));
    RemoveFile(folder.path + "ranking.txt.bad");
    RemoveFile(folder.path + "ranking.txt.bad");
    EXPECT_EQ(FilesChanged - changedBefore, 2 + 3 * 2 + 1u) << "writes, settings aside, removals";

    const std::string other = "flock -n " + folder.path + "ranking.lock true";
    {
        const HeldLock lock = LockFile(folder.path + "ranking.lock", why);
        ASSERT_TRUE(lock) << why;
        EXPECT_NE(std::system(other.c_str()), 0) << "held";
    }
    EXPECT_EQ(std::system(other.c_str()), 0) << "released";
    EXPECT_FALSE(LockFile(folder.path + "gone/ranking.lock", why));
}
