#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/disk.h"
#include "platform/errors.h"
#include "platform/file_handle.h"
#include "platform/file_times.h"
#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

TEST(CompareFileTimesTest, ToleranceOnlyForwardAndOnlyTwoSeconds) {
    const struct {
        int64_t diff;
        int exact;
        int tolerant;
    } cases[] = {
        {0, 0, 0},          {1, 1, 0},           {20000000, 1, 0}, {20000001, 1, 1},
        {-1, -1, -1},       {-20000000, -1, -1}, {30000000, 1, 1},
    };
    const int64_t base = 133485408000000000LL;
    for (const auto& c : cases) {
        EXPECT_EQ(CompareFileTimes(base + c.diff, base, false), c.exact) << c.diff;
        EXPECT_EQ(CompareFileTimes(base + c.diff, base, true), c.tolerant) << c.diff;
    }
    EXPECT_EQ(CompareFileTimes(INT64_MAX, INT64_MIN, true), 1);  // no wrap-around
    EXPECT_EQ(CompareFileTimes(INT64_MIN, INT64_MAX, true), -1);
}

TEST(FileTimesTest, SetAndReadBackToTheTenthOfAMicrosecond) {
    test::TempDir dir;
    const std::string path = dir / "f";
    test::WriteFile(path, "x");
    const int64_t access = 133485408001234567LL;
    const int64_t write = 133000000009876543LL;
    ASSERT_TRUE(SetFileTimes(path, write, access, write));
    FileTimes t;
    ASSERT_TRUE(GetFileTimes(path, t));
    EXPECT_EQ(t.LastWrite, write);
    EXPECT_EQ(t.LastAccess, access);
    EXPECT_NE(t.Creation, 0);

    // Creation time 0 means "no times known": nothing changes.
    EXPECT_FALSE(SetFileTimes(path, 0, access + 1, write + 1));
    ASSERT_TRUE(GetFileTimes(path, t));
    EXPECT_EQ(t.LastWrite, write);
    EXPECT_FALSE(GetFileTimes(dir / "missing", t));
}

TEST(DiskTest, FreeSpaceAndSectorSize) {
    test::TempDir dir;
    EXPECT_GT(DiskFreeBytes(dir.path()), 0);
    EXPECT_EQ(DiskFreeBytes(dir / "no/such/folder"), -1);
    const uint32_t sector = SectorSize(dir.path());
    EXPECT_GT(sector, 0u);
    EXPECT_EQ(sector & (sector - 1), 0u);  // a power of two
    EXPECT_LE(sector, 65536u);
}

// Share paths are never taken for local paths, whatever the operation.
TEST(SharePathTest, EveryFileOperationRefusesASharePath) {
    const std::string share = "//server/share/file.bin";
    FileTimes t;
    EXPECT_FALSE(FileHandle::OpenRead(share).IsOpen());
    EXPECT_EQ(LastError(), ERROR_SHARE_UNREACHABLE);
    EXPECT_FALSE(FileHandle::CreateAlways(share).IsOpen());
    EXPECT_EQ(LastError(), ERROR_SHARE_UNREACHABLE);
    EXPECT_FALSE(FileHandle::OpenReadWrite(share).IsOpen());
    EXPECT_FALSE(GetFileInfo(share));
    EXPECT_FALSE(GetFileTimes(share, t));
    EXPECT_FALSE(SetFileTimes(share, 1, 1, 1));
    EXPECT_FALSE(SetFileMode(share, 0644));
    EXPECT_EQ(DiskFreeBytes("//server/share"), -1);
    EXPECT_EQ(SectorSize("//server/share"), 0u);
}

TEST(FileHandleTest, LocksOfOtherProcessesAreSharingViolations) {
    test::TempDir dir;
    const std::string path = dir / "locked";
    test::WriteFile(path, "data");
    for (int held : {LOCK_SH, LOCK_EX}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            int fd = open(path.c_str(), O_RDONLY);
            flock(fd, held);
            (void)!write(ready[1], "x", 1);
            pause();
            _exit(0);
        }
        char c;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        // A reader is refused only by a writer; a writer by anyone.
        FileHandle reader = FileHandle::OpenRead(path);
        EXPECT_EQ(reader.IsOpen(), held == LOCK_SH);
        EXPECT_TRUE(FileHandle::OpenRead(path, false).IsOpen());
        FileHandle writer = FileHandle::OpenReadWrite(path);
        EXPECT_FALSE(writer.IsOpen());
        EXPECT_EQ(LastError(), ERROR_SHARING_VIOLATION);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(ready[0]);
        close(ready[1]);
    }
    EXPECT_TRUE(FileHandle::OpenReadWrite(path).IsOpen());
}

TEST(FileHandleTest, ReadFullAndCreateAlwaysCutTheOldContent) {
    test::TempDir dir;
    const std::string path = dir / "f";
    test::WriteFile(path, "old content that is long");
    {
        FileHandle f = FileHandle::CreateAlways(path, true);
        ASSERT_TRUE(f.IsOpen());
        EXPECT_EQ(f.Info()->Size, 0);
    }
    test::WriteFile(path, "0123456789");
    FileHandle f = FileHandle::OpenRead(path);
    char buf[32];
    EXPECT_EQ(f.ReadFull(buf, 4), 4);
    EXPECT_EQ(f.ReadFull(buf, sizeof buf), 6);
    EXPECT_EQ(f.ReadFull(buf, sizeof buf), 0);
    EXPECT_TRUE(f.Info()->Regular);
}

}  // namespace
}  // namespace ferrolin::platform
