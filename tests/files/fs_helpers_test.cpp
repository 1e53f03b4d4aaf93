#include "files/fs_helpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "copy_test_util.h"
#include "version.h"

namespace ferrolin {
namespace {

std::string LinkTarget(const std::string& path) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

TEST(FsHelpersTest, ShortcutIsASymbolicLinkWithTheLnkRule) {
    test::TempDir dir;
    test::WriteFile(dir / "src/clip.mpg", "media");
    const struct {
        const char* linkPath;
        const char* created;
    } cases[] = {{"clip.mpg", "clip.mpg.lnk"}, {"named.lnk", "named.lnk"},
                 {"UPPER.LNK", "UPPER.LNK"}, {"a.lnk.old", "a.lnk.old"}};
    for (const auto& c : cases) {
        EXPECT_TRUE(CreateShortcut(dir / "src/clip.mpg", dir / "src/", dir / c.linkPath));
        EXPECT_EQ(LinkTarget(dir / c.created), dir / "src/clip.mpg") << c.linkPath;
    }
    // An existing shortcut is replaced.
    EXPECT_TRUE(CreateShortcut(dir / "src/other.mpg", dir / "src/", dir / "clip.mpg"));
    EXPECT_EQ(LinkTarget(dir / "clip.mpg.lnk"), dir / "src/other.mpg");
    EXPECT_FALSE(CreateShortcut(dir / "src/clip.mpg", "", dir / "missing/folder/x"));
    EXPECT_FALSE(CreateShortcut(dir / "src/clip.mpg", "", "//server/share/x"));
}

TEST(FsHelpersTest, RemotePathsAreOtherComputersAndNetworkFileSystems) {
    ASSERT_FALSE(LocalComputerName().empty());
    const std::string me = LocalComputerName();
    std::string upper = me;
    for (auto& ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
    EXPECT_FALSE(IsRemotePath("//" + me + "/share/file"));
    EXPECT_FALSE(IsRemotePath("//" + upper + "/share/file"));
    EXPECT_TRUE(IsRemotePath("//another-host-" + me + "/share/file"));
    EXPECT_FALSE(IsRemotePath("ab"));
    test::TempDir dir;
    EXPECT_FALSE(IsRemotePath(dir / "local.bin"));
    EXPECT_FALSE(IsRemotePath(dir / "not/yet/there.bin"));
}

TEST(FsHelpersTest, VersionOfTheProgramIsTheBuildsVersion) {
    EXPECT_EQ(ReadVersionInfo().fFileVersion, FERROLIN_VERSION);
    EXPECT_EQ(ReadVersionInfo("/bin/sh").fFileVersion, "");
}

}  // namespace
}  // namespace ferrolin
