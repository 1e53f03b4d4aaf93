#include <gtest/gtest.h>

#include "platform/computer.h"
#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

// The copier runs small copies in place only on a local kernel file system; anything it
// cannot classify must not count as local, and must not count as a network either.
TEST(FileSystemKind, ClassifiesLocalFoldersAndUnaskablePaths) {
    test::TempDir dir;
    EXPECT_EQ(FileSystemKindOf(dir.path()), FileSystemKind::Local);
    // A file not yet made is judged by its nearest existing folder.
    EXPECT_EQ(FileSystemKindOf(dir / "new/deeper/file.tmp"), FileSystemKind::Local);
    EXPECT_EQ(FileSystemKindOf(""), FileSystemKind::Unknown);
    EXPECT_FALSE(IsOnNetworkFileSystem(""));
    EXPECT_FALSE(IsOnNetworkFileSystem(dir.path()));
}

}  // namespace
}  // namespace ferrolin::platform
