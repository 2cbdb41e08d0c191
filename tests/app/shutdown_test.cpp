// The orderly end of a run: once ShutDown has returned, the timer's thread is gone, so no tick
// can touch the game records that are destroyed after main.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "lifecycle.h"
#include "renderer.h"
#include "snapshot.h"

namespace {

int ThreadsNamed(const std::string& name) {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string comm;
        std::getline(std::ifstream(task.path() / "comm"), comm);
        count += comm == name ? 1 : 0;
    }
    return count;
}

TEST(ShutDown, StopsTheTimersThreadBeforeItReturns) {
    ASSERT_TRUE(OpenWindow());
    InitRenderer();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!SnapshotReady.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(SnapshotReady.load()) << "no tick came";
    ASSERT_EQ(ThreadsNamed("SDLTimer"), 1);
    ShutDown();
    EXPECT_EQ(ThreadsNamed("SDLTimer"), 0);
}

} // namespace
