#include "engine/source_entry.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

TEST(SourceEntry, UploadMarkerIsFoundInAnyNameIgnoringCase) {
    const SourceList list = {LocalFileEntry("/s/Alpha.txt", 1, 0),
                             LocalFileEntry("/s/sub/UPLOADINPROGRESS.txt", 0, 0),
                             LocalFileEntry("/s/beta.txt", 2, 0)};
    EXPECT_TRUE(AnyNameContains(list, "uploadinprogress.TXT"));
    EXPECT_TRUE(AnyNameContains(list, "/S/ALPHA"));
    EXPECT_FALSE(AnyNameContains(list, "gamma"));
    // Sizes and times are not part of the name: a size that spells a number never matches.
    EXPECT_FALSE(AnyNameContains({LocalFileEntry("/s/a", 12345, 0)}, "123"));
    EXPECT_FALSE(AnyNameContains({}, "x"));
}

TEST(SourceEntry, DirectoryPartOfPathsMasksAndAddresses) {
    struct Case {
        std::string path;
        bool force;
        std::string expected;
    } cases[] = {
        {"/out", false, "/out"},
        {"/out/*.mpg", false, "/out"},
        {"/out/a.txt", false, "/out"},
        {"/out/spot??", false, "/out"},
        {"/out/sub", true, "/out"},
        {"/out/", false, "/out/"},
        {"a.txt", false, ""},
        {"ftp://host/dir/a.txt", false, ""},
        {"http://host/x", true, ""},
        {"//server/share/a.txt", false, "//server/share"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectoryPart(c.path, c.force), c.expected) << c.path << " " << c.force;
}

}  // namespace
}  // namespace ferrolin
