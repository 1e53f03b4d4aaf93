#include "engine/folder_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/folder_mirror.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;

TEST(DestinationNaming, MirroredFoldersBelowTheDestination) {
    TempDir dest;
    struct Case {
        std::string sourceFile, sourceRoot, expectedBelow;
    } cases[] = {
        {"/src/a/b/f.txt", "/src", "a/b"},
        {"/src/f.txt", "/src", ""},
        {"/src/a/f.mpg", "/src/*.mpg", "a"},
        {"/src/a/f.txt", "/src/", "a"},
        {"/SRC/a/f.txt", "/src", "SRC/a"},        // letter case counts on this system
        {"/elsewhere/x/f.txt", "/lists/files.lst", "elsewhere/x"},  // list-file entries
    };
    for (const Case& c : cases) {
        const std::string folder = MirroredFolder(dest.path(), c.sourceFile, c.sourceRoot);
        const std::string expected = c.expectedBelow.empty() ? dest.path() : dest / c.expectedBelow;
        EXPECT_EQ(folder, expected) << c.sourceFile;
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    }
}

TEST(DestinationNaming, FileNamesAndEmptyDestinations) {
    TransferJob job;
    job.source = "/src";
    EXPECT_EQ(DestinationFor(job, "/src/a/f.txt"), "");
    job.destination = "/dst/";
    EXPECT_EQ(DestinationFor(job, "/src/a/f.txt"), "/dst/f.txt");
    EXPECT_EQ(PathBelow("/dst/sub/a.txt", "/dst/"), "sub/a.txt");
    EXPECT_EQ(PathBelow("/dstx/a.txt", "/dst"), "");
    EXPECT_EQ(PathBelow("/dst", "/dst"), "");
    EXPECT_EQ(PathBelow("/a.txt", "/"), "a.txt");
}

}  // namespace
}  // namespace ferrolin
