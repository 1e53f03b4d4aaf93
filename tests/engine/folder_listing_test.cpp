#include "engine/folder_listing.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "files/copy_status.h"
#include "platform/file_time_units.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;
using test::WriteFile;

std::vector<std::string> Paths(const SourceList& list) {
    std::vector<std::string> paths;
    for (const SourceEntry& entry : list) paths.push_back(entry.name);
    return paths;
}

// Counts the panel texts the listing shows.
class PanelRecorder : public NullSurfaces {
public:
    void SetStatusText(std::string_view text) override { texts.emplace_back(text); }
    void ProcessMessages() override {
        if (cancelAfter > 0 && ++calls >= cancelAfter) cancel.Stop();
    }
    std::vector<std::string> texts;
    int cancelAfter = 0;
    int calls = 0;
    CancelToken cancel;
};

TEST(FolderListing, SplitsFolderAndMask) {
    struct Case {
        std::string source, folder, mask;
    } cases[] = {
        {"/out", "/out", "*.*"},
        {"/out/", "/out", "*.*"},
        {"/out/*.mpg", "/out", "*.mpg"},
        {"/data/v1.0", "/data", "v1.0"},
    };
    for (const Case& c : cases) {
        const FolderAndMask fm = SplitFolderAndMask(c.source);
        EXPECT_EQ(fm.folder, c.folder) << c.source;
        EXPECT_EQ(fm.mask, c.mask) << c.source;
    }
}

TEST(FolderListing, RecursiveListsSubfolderFilesFirstInNameOrder) {
    TempDir dir;
    const std::string s = dir / "S";
    WriteFile(s + "/b.txt", "bb");
    WriteFile(s + "/a.txt", "a");
    WriteFile(s + "/Z/c.txt", "ccc");
    WriteFile(s + "/m/y/d.txt", "d");
    WriteFile(s + "/m/B.txt", "B");
    WriteFile(s + "/m/a.txt", "A");
    SourceList list;
    PanelRecorder panel;
    EXPECT_TRUE(ListFilesRecursive(s + "/*.*", &panel, list));
    EXPECT_EQ(Paths(list), (std::vector<std::string>{s + "/m/y/d.txt", s + "/m/a.txt", s + "/m/B.txt",
                                                     s + "/Z/c.txt", s + "/a.txt", s + "/b.txt"}));
    EXPECT_EQ(list[3].size, 3);
    ASSERT_FALSE(panel.texts.empty());
    EXPECT_EQ(panel.texts.front(), "0 searching... " + s + "/");
    EXPECT_EQ(list[3].kind, EntryKind::LocalFile);
}

TEST(FolderListing, MaskAppliesToFilesButEverySubfolderIsSearched) {
    TempDir dir;
    const std::string s = dir / "S";
    WriteFile(s + "/a.mpg", "1");
    WriteFile(s + "/a.txt", "1");
    WriteFile(s + "/sub.d/B.MPG", "1");
    SourceList rec;
    ListFilesRecursive(s + "/*.mpg", nullptr, rec);
    EXPECT_EQ(Paths(rec), (std::vector<std::string>{s + "/sub.d/B.MPG", s + "/a.mpg"}));
    SourceList flat;
    EXPECT_TRUE(ListFolderFiles(SplitFolderAndMask(s + "/*.mpg"), flat));
    EXPECT_EQ(Paths(flat), (std::vector<std::string>{s + "/a.mpg"}));
}

TEST(FolderListing, NamesEqualButForCaseAreBothKept) {
    TempDir dir;
    WriteFile(dir / "a.txt", "1");
    WriteFile(dir / "A.txt", "2");
    SourceList list;
    ListFilesRecursive(dir / "*.*", nullptr, list);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{dir / "A.txt", dir / "a.txt"}));
}

TEST(FolderListing, ShortDotNamesAreSkippedLongerHiddenNamesKept) {
    TempDir dir;
    WriteFile(dir / ".x", "1");
    WriteFile(dir / ".profile", "1");
    WriteFile(dir / "plain", "1");
    std::filesystem::create_directories(dir / ".git/objects");
    WriteFile(dir / ".git/objects/o", "1");
    SourceList rec;
    ListFilesRecursive(dir / "*.*", nullptr, rec);
    EXPECT_EQ(Paths(rec), (std::vector<std::string>{dir / ".git/objects/o", dir / ".profile",
                                                    dir / "plain"}));
    SourceList flat;
    ListFolderFiles(SplitFolderAndMask(dir.path()), flat);
    EXPECT_EQ(Paths(flat), (std::vector<std::string>{dir / ".profile", dir / "plain"}));
}

TEST(FolderListing, OddNamesAndLongPathsComeThroughWhole) {
    TempDir dir;
    std::string deep = dir.path();
    for (int level = 0; level < 12; ++level) deep += "/" + std::string(80, char('a' + level));
    const std::vector<std::string> names = {"with space.txt", "say \"hi\".txt", "-leading-dash",
                                            "grüße ÄÖÜ.txt", "tab\there", "it's.txt"};
    for (const std::string& name : names) WriteFile(deep + "/" + name, name);
    SourceList list;
    EXPECT_TRUE(ListFilesRecursive(dir / "*.*", nullptr, list));
    ASSERT_EQ(list.size(), names.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string& path = list[i].name;
        EXPECT_EQ(path.rfind(deep + "/", 0), 0u) << path;
        EXPECT_EQ(list[i].size, static_cast<int64_t>(path.size() - deep.size() - 1)) << path;
    }
}

TEST(FolderListing, MissingFolderAndCancelGiveIncompleteListings) {
    TempDir dir;
    SourceList none;
    EXPECT_FALSE(ListFilesRecursive(dir / "nope/*.*", nullptr, none));
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(ListFolderFiles(SplitFolderAndMask(dir / "nope"), none));

    for (const char* sub : {"a", "b", "c"}) WriteFile(dir / (std::string(sub) + "/f.txt"), "1");
    WriteFile(dir / "top.txt", "1");
    PanelRecorder panel;
    panel.cancelAfter = 1;  // cancel while entering the first subfolder
    SourceList list;
    EXPECT_FALSE(ListFilesRecursive(dir / "*.*", &panel, list, &panel.cancel));
    // What was found is kept: the first subfolder and the folder's own files.
    EXPECT_EQ(Paths(list), (std::vector<std::string>{dir / "a/f.txt", dir / "top.txt"}));
}

TEST(FolderListing, SymbolicLinksToFilesCountFoldersAreNotFollowed) {
    TempDir dir;
    WriteFile(dir / "real/f.txt", "12345");
    ASSERT_EQ(symlink((dir / "real/f.txt").c_str(), (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(symlink(dir.path().c_str(), (dir / "loop").c_str()), 0);
    ASSERT_EQ(symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    SourceList list;
    EXPECT_TRUE(ListFilesRecursive(dir / "*.*", nullptr, list));
    EXPECT_EQ(Paths(list), (std::vector<std::string>{dir / "real/f.txt", dir / "link.txt"}));
    EXPECT_EQ(list[1].size, 5);
}

TEST(FolderListing, ListFileSkipsMissingAndEmptyFiles) {
    TempDir dir;
    WriteFile(dir / "one.txt", "1");
    WriteFile(dir / "empty.txt", "");
    WriteFile(dir / "two words.txt", "22");
    WriteFile(dir / "list.txt", dir / "one.txt" + "\r\n" + dir / "missing.txt" + "\n" +
                                    dir / "empty.txt" + "\n\n" + dir / "two words.txt");
    const SourceList list = ListFileSource(dir / "list.txt");
    EXPECT_EQ(Paths(list), (std::vector<std::string>{dir / "one.txt", dir / "two words.txt"}));
    EXPECT_EQ(list[1].size, 2);
    EXPECT_TRUE(ListFileSource(dir / "no-list.txt").empty());
}

TEST(FolderListing, EveryListerCarriesSizeAndExactModificationTime) {
    TempDir dir;
    WriteFile(dir / "src/a.bin", "12345");
    // A moment with a fraction of a second, far from now, in UTC.
    const timespec times[2] = {{1000000000, 0}, {1234567890, 123456700}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "src/a.bin").c_str(), times, 0), 0);
    WriteFile(dir / "list.txt", dir / "src/a.bin");
    const int64_t expected = UnixToFileTime(1234567890, 123456700);

    SourceList recursive, flat;
    ListFilesRecursive(dir / "src/*.*", nullptr, recursive);
    ListFolderFiles(SplitFolderAndMask(dir / "src"), flat);
    const SourceList listed = ListFileSource(dir / "list.txt");
    const std::vector<const SourceList*> lists = {&recursive, &flat, &listed};
    for (const SourceList* list : lists) {
        ASSERT_EQ(list->size(), 1u);
        EXPECT_EQ(list->front(), LocalFileEntry(dir / "src/a.bin", 5, expected));
    }
}

TEST(FolderListing, FolderFilesByMasksWithBareNames) {
    TempDir dir;
    WriteFile(dir / "a.mpg", "1");
    WriteFile(dir / "b.txt", "1");
    WriteFile(dir / ".hidden.mpg", "1");
    WriteFile(dir / "sub/c.mpg", "1");
    EXPECT_EQ(ListFolderFiles(dir.path() + "/", "*.txt;*.mpg", false),
              (std::vector<std::string>{"b.txt", "a.mpg"}));
    EXPECT_EQ(ListFolderFiles(dir.path(), "*.mpg", true), (std::vector<std::string>{dir / "a.mpg"}));
}

}  // namespace
}  // namespace ferrolin
