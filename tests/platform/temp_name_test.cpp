// Temporary names: the candidates in order and within the name limit, and a file made new
// beside its destination that never takes a name standing there or claimed by a listing.
#include "platform/temp_name.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "support/temp_dir.h"

namespace ferrolin::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

TEST(TempName, CandidatesStayInTheFolderWithinTheNameLimitAndApart) {
    EXPECT_EQ(TempPathFor("/d/a.txt"), "/d/a.txt.tmp");
    EXPECT_EQ(TempPathFor("/d/a.txt", 1), "/d/a.txt~2.tmp");
    EXPECT_EQ(TempPathFor("a.txt", 2), "a.txt~3.tmp");
    std::string umlauts;
    for (int k = 0; k < 126; ++k) umlauts += "\xC3\xBC";  // 252 bytes of "ü"
    for (const std::string& name : {std::string(251, 'n'), std::string(255, 'n'), umlauts}) {
        std::set<std::string> seen;
        for (unsigned attempt = 0; attempt < 12; ++attempt) {
            const fs::path temp = TempPathFor("/d/" + name, attempt);
            EXPECT_EQ(temp.parent_path(), "/d");
            EXPECT_LE(temp.filename().string().size(), kMaxFileNameBytes);
            EXPECT_TRUE(temp.string().ends_with(".tmp"));
            EXPECT_EQ(TempPathFor("/d/" + name, attempt), temp);  // found again by its owner
            EXPECT_TRUE(seen.insert(temp).second) << temp;
            // Cut between characters, never inside one.
            EXPECT_NE(static_cast<unsigned char>(temp.filename().string()[0]) & 0xC0, 0x80u);
        }
    }
}

TEST(TempName, MadeNewPassingOverWhatStandsOrIsClaimed) {
    test::TempDir dir;
    const std::string dest = dir / "r1.csv";
    WriteFile(dir / "r1.csv.tmp", "a listed file of this name");
    ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "r1.csv~2.tmp").c_str()), 0);
    const NameTaken claimed = [](std::string_view name) { return name == "r1.csv~3.tmp"; };
    std::string path;
    UniqueFd fd = CreateLocalTempFor(dest, claimed, path);
    ASSERT_TRUE(fd) << std::strerror(errno);
    EXPECT_EQ(path, dir / "r1.csv~4.tmp");
    EXPECT_EQ(ReadFile(dir / "r1.csv.tmp"), "a listed file of this name");
    EXPECT_FALSE(fs::exists(dir / "victim"));
    EXPECT_FALSE(fs::exists(dir / "r1.csv~3.tmp"));
    EXPECT_EQ(fs::file_size(path), 0u);

    // Nothing free: no file, and the reason is the names that stood.
    std::string none;
    errno = 0;
    EXPECT_FALSE(CreateLocalTempFor(
        dest, [](std::string_view) { return true; }, none));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(FreeTempPathFor(dest, [](std::string_view) { return true; }), "");
    EXPECT_EQ(FreeTempPathFor(dest, claimed), dir / "r1.csv.tmp");  // a remote side: no look
}

}  // namespace
}  // namespace ferrolin::platform
