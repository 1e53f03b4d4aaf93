#include "platform/fs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(Fs, SharePathsAreNeverTouchedLocally) {
    // "//tmp" would name /tmp locally; as a share path it must not.
    const std::string share = "//tmp";
    errno = 0;
    EXPECT_FALSE(FileExists(share));
    EXPECT_EQ(LastError(), ERROR_SHARE_UNREACHABLE);
    errno = 0;
    EXPECT_FALSE(DirectoryExists(share));
    EXPECT_EQ(LastError(), ERROR_SHARE_UNREACHABLE);
    errno = 0;
    EXPECT_FALSE(FileSize("//tmp/x"));
    EXPECT_EQ(LastError(), ERROR_SHARE_UNREACHABLE);
    EXPECT_EQ(DeleteFile("//tmp/x"), ERROR_SHARE_UNREACHABLE);
    EXPECT_EQ(CreateDirectories("//tmp/x"), ERROR_SHARE_UNREACHABLE);
    EXPECT_EQ(MoveFile("//tmp/a", "/tmp/b"), ERROR_SHARE_UNREACHABLE);
    EXPECT_EQ(MoveFile("/tmp/a", "//tmp/b"), ERROR_SHARE_UNREACHABLE);
}

TEST(Fs, Queries) {
    TempDir dir;
    WriteFile(dir / "f.txt", "12345");
    EXPECT_TRUE(FileExists(dir / "f.txt"));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(DirectoryExists(dir / "f.txt"));
    EXPECT_EQ(FileSize(dir / "f.txt"), 5);
    EXPECT_FALSE(FileSize(dir / "missing"));
    EXPECT_EQ(LastError(), ENOENT);
    EXPECT_FALSE(FileSize(dir.path()));
    EXPECT_EQ(LastError(), EISDIR);
}

TEST(Fs, MoveFileRefusesOrReplacesAnExistingTarget) {
    TempDir dir;
    WriteFile(dir / "a", "new");
    WriteFile(dir / "b", "old");
    EXPECT_EQ(MoveFile(dir / "a", dir / "b"), EEXIST);
    EXPECT_EQ(ReadFile(dir / "b"), "old");
    EXPECT_TRUE(FileExists(dir / "a"));
    EXPECT_EQ(MoveFile(dir / "a", dir / "b", true), 0);
    EXPECT_EQ(ReadFile(dir / "b"), "new");
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(MoveFile(dir / "a", dir / "c"), ENOENT);
    EXPECT_EQ(MoveFile(dir / "b", dir / "c"), 0);
    EXPECT_EQ(ReadFile(dir / "c"), "new");
}

TEST(Fs, MoveFileAcrossFileSystemsCopiesAndKeepsTimes) {
    TempDir dir;
    const std::string otherRoot = "/dev/shm";
    struct stat a {
    }, b{};
    if (stat(dir.path().c_str(), &a) != 0 || stat(otherRoot.c_str(), &b) != 0 ||
        a.st_dev == b.st_dev || access(otherRoot.c_str(), W_OK) != 0) {
        GTEST_SKIP() << "no second writable file system next to the temporary folder";
    }
    const std::string target = otherRoot + "/ferrolin-move-" + std::to_string(getpid());
    const std::string content(200000, 'q');
    WriteFile(dir / "src", content);
    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "src").c_str(), times, 0), 0);

    EXPECT_EQ(MoveFile(dir / "src", target), 0);
    EXPECT_FALSE(FileExists(dir / "src"));
    EXPECT_EQ(ReadFile(target), content);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_FALSE(FileExists(target + ".moving"));

    // No-replace holds across file systems too.
    WriteFile(dir / "src2", "second");
    EXPECT_EQ(MoveFile(dir / "src2", target), EEXIST);
    EXPECT_TRUE(FileExists(dir / "src2"));
    EXPECT_EQ(ReadFile(target), content);
    unlink(target.c_str());
}

TEST(Fs, CreateAndDelete) {
    TempDir dir;
    EXPECT_EQ(CreateDirectories(dir / "a/b/c"), 0);
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    EXPECT_EQ(CreateDirectories(dir / "a/b/c/"), 0);  // existing is fine
    WriteFile(dir / "file", "x");
    EXPECT_EQ(CreateDirectories(dir / "file/sub"), ENOTDIR);
    EXPECT_EQ(CreateDirectories(dir / "file"), ENOTDIR);
    EXPECT_EQ(DeleteFile(dir / "file"), 0);
    EXPECT_EQ(DeleteFile(dir / "file"), ENOENT);
    EXPECT_EQ(CreateDirectories(""), ENOENT);
}

}  // namespace
}  // namespace ferrolin::platform
