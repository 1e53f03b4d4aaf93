#include "engine/source_entry.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(SourceEntry, FieldsAreSplitFromTheRightSoOddNamesStayWhole) {
    struct Case {
        std::string entry;
        std::string path, size, date;
        int count;
    } cases[] = {
        {"/s/a.txt\t12\t08.12.2023 10:00:00", "/s/a.txt", "12", "08.12.2023 10:00:00", 3},
        {"/s/say \"hi.txt\t5\t08.12.2023", "/s/say \"hi.txt", "5", "08.12.2023", 3},
        {"/s/\"q\".txt\t5\tx", "/s/\"q\".txt", "5", "x", 3},
        {"/s/tab\there.txt\t7\tx", "/s/tab\there.txt", "7", "x", 3},
        {"name\t9", "name", "9", "", 2},
        {"http://host/file", "http://host/file", "", "", 1},
        {"", "", "", "", 1},
    };
    for (const Case& c : cases) {
        const EntryFields f = SplitEntry(c.entry);
        EXPECT_EQ(f.path, c.path) << c.entry;
        EXPECT_EQ(f.size, c.size) << c.entry;
        EXPECT_EQ(f.date, c.date) << c.entry;
        EXPECT_EQ(f.count, c.count) << c.entry;
    }
}

TEST(SourceEntry, AccessorsHandleEndsBadSizesAndBareFiles) {
    TempDir dir;
    WriteFile(dir / "bare.bin", std::string(1234, 'x'));
    const SourceList list = {
        "/s/a\t100\tdate",
        "/s/b\tnot-a-number\tdate",
        dir / "bare.bin",  // one field: measured on disk
        dir / "missing.bin",
        "/s/c\t-5\tdate",
    };
    EXPECT_EQ(EntryPath(0, list), "/s/a");
    EXPECT_EQ(EntryPath(9, list), "");
    EXPECT_EQ(EntrySize(0, list), 100);
    EXPECT_EQ(EntrySize(1, list), 0);
    EXPECT_EQ(EntrySize(2, list), 1234);
    EXPECT_EQ(EntrySize(3, list), 0);
    EXPECT_EQ(EntrySize(4, list), -5);
    EXPECT_EQ(EntrySize(5, list), 0);
    EXPECT_EQ(TotalEntrySize(list), 100 + 1234 - 5);
    EXPECT_EQ(FileSize64(dir.path()), 0);  // a folder has no file size
}

TEST(SourceEntry, MakeEntryReadsBack) {
    const std::string entry = MakeEntry("/s/x y.mpg", 4096, EncodeDate(2023, 12, 8) + EncodeTime(10, 0, 0));
    EXPECT_EQ(EntryPath(0, {entry}), "/s/x y.mpg");
    EXPECT_EQ(EntrySize(0, {entry}), 4096);
}

TEST(SourceEntry, FindEntryByIndexPrefixOrPart) {
    const SourceList list = {"/s/Alpha.txt\t1\td", "/s/sub/UPLOADINPROGRESS.txt\t0\td",
                             "/s/beta.txt\t2\td"};
    struct Case {
        std::string text;
        bool partial;
        int expected;
    } cases[] = {
        {"uploadinprogress.TXT", true, 1},  // anywhere, any letter case
        {"uploadinprogress.txt", false, -1},
        {"/S/ALPHA", false, 0},
        {"beta", true, 2},
        {"gamma", true, -1},
        {"2", true, 2},  // a number is an index
        {"3", true, -1},
        {"-1", true, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindEntry(c.text, &list, c.partial), c.expected) << c.text;
    EXPECT_EQ(FindEntry("x", nullptr, true), -1);
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
