// Which paths a job may touch: below a folder means below it level by level, and the
// program's own files are found under every spelling of the program folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/path_guard.h"
#include "engine/program_files.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;

TEST(PathGuard, LiesBelowComparesWholeLevels) {
    struct Case {
        const char* path;
        const char* folder;
        bool below;
    } cases[] = {
        {"/a/in/x", "/a/in", true},
        {"/a/in//sub/./x", "/a/in/", true},
        {"/a/inbox/x", "/a/in", false},  // a longer name is another folder
        {"/a/in", "/a/in", false},       // a folder is not below itself
        {"/a/i", "/a/in", false},
        {"/x", "/", true},
        {"//srv/share/dir/f", "//srv/share", true},
        {"//srv/shared/f", "//srv/share", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LiesBelow(c.path, c.folder), c.below) << c.path << " " << c.folder;
}

TEST(ProgramFiles, FoundUnderEverySpellingOfTheProgramFolder) {
    TempDir home, other;
    const std::string link = other / "to-home";
    ASSERT_EQ(::symlink(home.path().c_str(), link.c_str()), 0);
    struct Case {
        std::string path;
        bool own;
    } cases[] = {
        {home / "Ferrolin.INI", true},
        {home / "ferrolin.ini", true},
        {home / "Ferrolin.log", true},
        {home / "Ferrolinold.log", true},
        {home / "DelayDelete.txt", true},
        {home / "Ferrolin.lock", true},
        {home / "FtpHost.ini", true},
        {home / "KestRas.INI", true},
        {home / "known_hosts", true},
        {home / "Runs.jsonl", true},
        {home.path() + "/./Ferrolin.INI", true},
        {link + "/Ferrolin.INI", true},
        {home / "report.csv", false},
        {home / "Ferrolin.INI.bak", false},
        {other / "Ferrolin.INI", false},
        {home / "sub/Ferrolin.INI", false},
        {"//server/share/Ferrolin.INI", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsProgramFile(home.path(), c.path), c.own) << c.path;
    EXPECT_FALSE(IsProgramFile("", home / "Ferrolin.INI"));
}

}  // namespace
}  // namespace ferrolin
