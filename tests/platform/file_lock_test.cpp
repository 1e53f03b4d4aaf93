#include "platform/file_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

using namespace std::chrono_literals;
using test::TempDir;
using test::WriteFile;

TEST(LockedFile, SecondHolderWaitsBoundedAndProbeSeesTheLock) {
    TempDir dir;
    const std::string path = dir / "f";
    auto first = LockedFile::Open(path, O_RDWR | O_CREAT, 0ms);
    ASSERT_TRUE(first);
    EXPECT_TRUE(IsLockedByOther(path));

    int32_t error = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(LockedFile::Open(path, O_RDWR, 50ms, &error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);

    first.reset();
    EXPECT_FALSE(IsLockedByOther(path));
    EXPECT_TRUE(LockedFile::Open(path, O_RDWR, 0ms));
}

TEST(LockedFile, FailuresReportTheirCause) {
    TempDir dir;
    int32_t error = 0;
    EXPECT_FALSE(LockedFile::Open(dir / "missing/f", O_RDWR | O_CREAT, 0ms, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(LockedFile::Open("//server/share/f", O_RDWR | O_CREAT, 0ms, &error));
    EXPECT_EQ(error, ERROR_SHARE_UNREACHABLE);
    EXPECT_FALSE(IsLockedByOther(dir / "missing"));
}

TEST(LockedFile, AWaiterEndsUpOnTheFileAtThePathAfterARename) {
    TempDir dir;
    const std::string path = dir / "log";
    WriteFile(path, "full");
    auto holder = LockedFile::Open(path, O_RDWR | O_APPEND, 0ms);
    ASSERT_TRUE(holder);

    // The waiter opens the full file and blocks on its lock; meanwhile the holder rotates
    // it away, as the log writer does, and lets go.
    int64_t waiterSize = -1;
    std::thread waiter([&] {
        auto locked = LockedFile::Open(path, O_RDWR | O_CREAT | O_APPEND, 20s);
        if (locked) waiterSize = locked->Size();
    });
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(std::rename(path.c_str(), (dir / "logold").c_str()), 0);
    holder.reset();
    waiter.join();
    EXPECT_EQ(waiterSize, 0);  // the fresh file, not the renamed full one
    EXPECT_EQ(test::ReadFile(dir / "logold"), "full");
}

}  // namespace
}  // namespace ferrolin::platform
