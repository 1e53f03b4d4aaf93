#include "config/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(ProfileFile, MissingFileGivesDefaultsWithoutError) {
    TempDir dir;
    ProfileFile ini(dir / "none.ini");
    EXPECT_EQ(ini.ReadString("Global", "Name", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Global", "Count", 17), 17);
    EXPECT_TRUE(ini.ReadBool("Global", "Flag", true));
    EXPECT_FALSE(ini.SectionExists("Global"));
    EXPECT_EQ(ini.ReadError(), 0);
}

TEST(ProfileFile, NumbersBooleansAndChoices) {
    TempDir dir;
    WriteFile(dir / "a.ini", "[S]\nhex=$1f\nbad=12x\nt=-1\nf=0\nword=yes\nbig=7\nneg=-3\n");
    ProfileFile ini(dir / "a.ini");
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "bad", 5), 5);
    EXPECT_TRUE(ini.ReadBool("S", "t", false));
    EXPECT_FALSE(ini.ReadBool("S", "f", true));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));  // not a number: the default
    EXPECT_FALSE(ini.ReadBool("S", "word", false));
    // Choices: past the last item reads as the last; negative as the default.
    EXPECT_EQ(ini.ReadChoice("S", "big", 0, 2), 1);
    EXPECT_EQ(ini.ReadChoice("S", "neg", 1, 3), 1);
}

TEST(ProfileFile, WriteKeepsEveryOtherByte) {
    TempDir dir;
    const std::string path = dir / "Ferrolin.INI";
    const std::string before =
        "; written by hand\r\n"
        "[Global]\r\n"
        "Auto=0\r\n"
        "junk line without equals\r\n"
        "MondayFu10=06:00:00;12:00:00\r\n"
        "\r\n"
        "[Kopf0]\n"  // mixed endings stay as they are
        "Name = News \n"
        "[InternetDateTimeSync]\r\n"
        "Server=time.example\r\n";
    WriteFile(path, before);
    ProfileFile ini(path);
    ini.WriteBool("GLOBAL", "auto", true);
    std::string expected = before;
    expected.replace(expected.find("Auto=0"), 6, "Auto=1");
    EXPECT_EQ(ReadFile(path), expected);

    ini.WriteString("kopf0", "NAME", "Weather");
    expected.replace(expected.find("Name = News "), 12, "Name =Weather");
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(ini.ReadString("Kopf0", "Name", ""), "Weather");

    ini.WriteInteger("Global", "AnzKopfstellen", 1);
    expected.insert(expected.find("\r\n\r\n[Kopf0]") + 2, "AnzKopfstellen=1\r\n");
    EXPECT_EQ(ReadFile(path), expected);
}

TEST(ProfileFile, EveryReadSeesTheFileAsItIsNow) {
    TempDir dir;
    const std::string path = dir / "x.ini";
    WriteFile(path, "[S]\nk=1\n");
    ProfileFile reader(path);
    ProfileFile writer(path);
    EXPECT_EQ(reader.ReadString("S", "k", ""), "1");
    writer.WriteString("S", "k", "2");
    EXPECT_EQ(reader.ReadString("S", "k", ""), "2");
    // Changed behind the program's back, same size, even in place.
    WriteFile(path, "[S]\nk=3\n");
    EXPECT_EQ(reader.ReadString("S", "k", ""), "3");
    std::filesystem::remove(path);
    EXPECT_EQ(reader.ReadString("S", "k", "gone"), "gone");
}

TEST(ProfileFile, BatchWritesOnceAndDiscardsWithoutCommit) {
    TempDir dir;
    const std::string path = dir / "b.ini";
    ProfileFile ini(path);
    {
        ProfileFile::Batch batch(ini);
        ini.WriteString("S", "a", "1");
        ini.WriteString("S", "b", "2");
        EXPECT_EQ(ini.ReadString("S", "a", ""), "1");  // visible inside the batch
        EXPECT_FALSE(std::filesystem::exists(path));   // not yet on disk
        batch.Commit();
    }
    EXPECT_EQ(ReadFile(path), "[S]\na=1\nb=2\n");
    {
        ProfileFile::Batch batch(ini);
        ini.EraseSection("S");
    }
    EXPECT_EQ(ReadFile(path), "[S]\na=1\nb=2\n");
    EXPECT_TRUE(ini.SectionExists("S"));
}

TEST(ProfileFile, SnapshotHoldsOneViewButWritesStartFromTheFile) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteFile(path, "[S]\na=1\nb=1\n");
    ProfileFile ini(path);
    ProfileFile other(path);
    {
        ProfileFile::Snapshot snapshot(ini);
        EXPECT_EQ(ini.ReadString("S", "a", ""), "1");
        other.WriteString("S", "a", "2");
        EXPECT_EQ(ini.ReadString("S", "a", ""), "1");  // the view of the snapshot
        ini.WriteString("S", "b", "3");                // keeps the other object's write
        EXPECT_EQ(ini.ReadString("S", "a", ""), "2");
        EXPECT_EQ(ini.ReadString("S", "b", ""), "3");
    }
    EXPECT_EQ(ReadFile(path), "[S]\na=2\nb=3\n");
}

TEST(ProfileFile, RefusedWriteThrowsUnableToWrite) {
    TempDir dir;
    const std::string path = dir / "missing-folder/Ferrolin.INI";
    ProfileFile ini(path);
    try {
        ini.WriteString("Global", "Auto", "1");
        FAIL() << "no exception";
    } catch (const ProfileWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
        EXPECT_EQ(e.error(), ENOENT);
    }
}

TEST(ProfileFile, FolderInPlaceOfTheFileIsReportedAndNotReplaced) {
    TempDir dir;
    const std::string path = dir / "Ferrolin.INI";
    std::filesystem::create_directory(path);
    WriteFile(path + "/inside", "keep");
    ProfileFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    EXPECT_EQ(ini.ReadError(), EISDIR);
    EXPECT_THROW(ini.WriteString("S", "k", "v"), ProfileWriteError);
    EXPECT_EQ(ReadFile(path + "/inside"), "keep");
}

// An INI holds passwords: it is the owner's alone whatever the umask, and a stricter
// mode the operator chose stays. The replacement leaves no temporary file.
TEST(ProfileFile, ReplacementIsPrivateKeepsAStricterModeAndLeavesNoTemporaryFile) {
    const mode_t umaskBefore = ::umask(022);
    struct Case {
        int before;  // -1: no file yet
        mode_t after;
    } cases[] = {{-1, 0600}, {0644, 0600}, {0640, 0600}, {0600, 0600}, {0400, 0400}};
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "p.ini";
        if (c.before >= 0) {
            WriteFile(path, "[S]\n");
            ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.before)), 0);
        }
        ProfileFile ini(path);
        ini.WriteString("S", "k", "v");
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.before;
        int entries = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
            ++entries;
        EXPECT_EQ(entries, 1);
    }
    ::umask(umaskBefore);
}

TEST(ProfileFile, WritesThroughASymbolicLink) {
    TempDir dir;
    const std::string real = dir / "real.ini";
    const std::string link = dir / "link.ini";
    WriteFile(real, "[S]\nk=1\n");
    std::filesystem::create_symlink(real, link);
    ProfileFile ini(link);
    ini.WriteString("S", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\nk=2\n");
}

}  // namespace
}  // namespace ferrolin
