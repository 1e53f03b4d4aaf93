// Jobs run against destinations and sources that someone has prepared to make the run
// write or delete outside the job's own folders, or lose data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "files/copy_status.h"
#include "platform/fs.h"
#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

size_t Count(const std::string& text, const std::string& part) {
    return static_cast<size_t>(test::CountOccurrences(text, part));
}

class HostilePaths : public ::testing::Test {
  protected:
    HostilePaths() : station(home.path(), surfaces) {}

    void RunAll(const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), {}, jobs);
        ReadConfig(station);
        RunAllJobsManually(station, false);
    }
    IniKeys MirrorJob(const std::string& delay) {
        return {{"SendeVerzeichnis", src.path()},
                {"EmpfangsVerzeichnis", dst.path()},
                {"CopyMode", "3"},
                {"DestDelDelay", delay}};
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    std::string DelayFile() { return ReadFile(home / "DelayDelete.txt"); }

    TempDir home, src, dst, outside;
    test::RecordingSurfaces surfaces;
    Station station;
};

// A name with a line break never reaches DelayDelete.txt, and only absolute, normal paths
// inside a job's destination folder are ever deleted from it; a link on the way is not
// followed. Everything else stays in the file with a log line.
TEST_F(HostilePaths, DelayDeleteLinesCannotBeForgedOrLeadOutside) {
    WriteFile(src / "keep.txt", "k");
    const std::string forged = "x\n2001-01-01 00:00:00\tFerrolin.INI";
    WriteFile(dst / forged, "planted");
    WriteFile(dst / "orphan.txt", "o");
    RunAll({MirrorJob("1")});
    const std::string delay = DelayFile();
    EXPECT_EQ(Count(delay, "\n"), 1u) << delay;  // one line: the plain orphan
    EXPECT_NE(delay.find("\t" + dst / "orphan.txt\r\n"), std::string::npos) << delay;
    EXPECT_NE(Log().find("has a line break in its name; not added to DelayDelete.txt"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(dst / forged));

    // Forged lines, all long due: relative, "..", outside every job, through a link.
    WriteFile(outside / "victim.txt", "v");
    WriteFile(home / "victim.txt", "v");
    fs::create_directory_symlink(outside.path(), dst / "link");
    const std::string old = "2001-01-01 00:00:00\t";
    const std::vector<std::string> refused = {
        old + "victim.txt",
        old + dst / "../" + fs::path(outside.path()).filename().string() + "/victim.txt",
        old + outside / "victim.txt", old + dst.path() + "//orphan.txt",
        old + home / "Ferrolin.INI"};
    std::string content;
    for (const std::string& line : refused) content += line + "\r\n";
    content += old + dst / "link/victim.txt\r\n" + old + dst / "orphan.txt\r\n";
    WriteFile(home / "DelayDelete.txt", content);
    const char* cwd = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(home.path().c_str()), 0);
    RunAll({MirrorJob("1")});
    ASSERT_EQ(chdir(cwd), 0);
    free(const_cast<char*>(cwd));

    EXPECT_FALSE(fs::exists(dst / "orphan.txt"));
    EXPECT_TRUE(fs::exists(outside / "victim.txt"));
    EXPECT_TRUE(fs::exists(home / "victim.txt"));
    EXPECT_TRUE(fs::exists(home / "Ferrolin.INI"));
    const std::string log = Log();
    EXPECT_NE(log.find("File " + dst / "link/victim.txt deleting failed"), std::string::npos)
        << log;
    for (const std::string& line : refused) {
        EXPECT_NE(DelayFile().find(line + "\r\n"), std::string::npos) << line;
        EXPECT_NE(
            log.find("DelayDelete.txt: path not inside a job's destination folder, kept: " + line),
            std::string::npos)
            << line;
    }
}

// With subfolders, a link standing where a destination subfolder belongs is replaced by
// a real folder, and a listed path that climbs out of the destination with ".." is refused.
TEST_F(HostilePaths, CopiesStayInsideTheDestinationFolder) {
    WriteFile(src / "sub/x.txt", "x");
    fs::create_directory_symlink(outside.path(), dst / "sub");
    WriteFile(outside / "evil.txt", "e");
    // Enough ".." to climb above the destination once the path is rebuilt below it.
    std::string up;
    for (const char c : src.path()) up += c == '/' ? "../" : "";
    const std::string listed = src / "sub/" + up + "../" + outside.path().substr(1) + "/evil.txt";
    const std::string escaped = fs::path(dst.path()).parent_path().string() + outside / "evil.txt";
    WriteFile(home / "list.txt", listed + "\n" + src / "sub/x.txt" + "\n");
    RunAll({{{"SendeVerzeichnis", src.path()},
             {"EmpfangsVerzeichnis", dst.path()},
             {"ParsingType", "1"}},
            {{"SendeVerzeichnis", home / "list.txt"},
             {"SourceType", "5"},
             {"EmpfangsVerzeichnis", dst.path()},
             {"ParsingType", "1"}}});
    EXPECT_FALSE(fs::exists(outside / "x.txt"));
    EXPECT_FALSE(fs::is_symlink(dst / "sub"));
    EXPECT_EQ(ReadFile(dst / "sub/x.txt"), "x");
    EXPECT_FALSE(fs::exists(escaped)) << escaped;
    EXPECT_NE(Log().find("File " + listed + " not copied: its path leaves the destination folder " +
                         dst.path()),
              std::string::npos)
        << Log();
    EXPECT_EQ(station.Log.FailedFiles, 1u);
}

// "Source is master" keeps what it copied: a destination written with repeated or
// trailing separators, and a stale file whose name differs only by letter case.
TEST_F(HostilePaths, MirrorKeepsWhatItCopied) {
    WriteFile(src / "report.txt", "r");
    WriteFile(src / "sub/b.txt", "b");
    WriteFile(dst / "REPORT.txt", "stale");
    std::string doubled = dst.path() + "//";
    doubled.insert(doubled.rfind('/', doubled.size() - 3), "/");  // ".../tmp//ferrolin-test-X//"
    IniKeys job = MirrorJob("0");
    job["EmpfangsVerzeichnis"] = doubled;
    job["ParsingType"] = "1";
    for (int run = 0; run < 2; ++run) {
        RunAll({job});
        EXPECT_EQ(ReadFile(dst / "report.txt"), "r") << run;
        EXPECT_EQ(ReadFile(dst / "sub/b.txt"), "b") << run;
        EXPECT_FALSE(fs::exists(dst / "REPORT.txt")) << run;
    }
    const std::string log = Log();
    EXPECT_EQ(Count(log, " deleted"), 1u) << log;
    EXPECT_NE(log.find("File " + dst / "REPORT.txt deleted"), std::string::npos) << log;
}

// A job whose source is its own destination never deletes its files; a destination inside
// a recursive source is not copied into itself; a stored choice out of range stops the job.
TEST_F(HostilePaths, MisconfiguredJobsLoseNothing) {
    WriteFile(src / "a.txt", "a");
    RunAll({{{"SendeVerzeichnis", src.path()},
             {"EmpfangsVerzeichnis", src.path() + "/"},
             {"SourceDelete", "1"},
             {"Name", "Same"}},
            {{"SendeVerzeichnis", src.path()},
             {"EmpfangsVerzeichnis", src.path()},
             {"SourceDelete", "1"},
             {"CopyMode", "2"},
             {"Name", "Same"}}});
    EXPECT_EQ(ReadFile(src / "a.txt"), "a");
    EXPECT_EQ(Count(Log(), "Job Same is misconfigured: " + src / "a.txt" +
                               " is its own destination; source not deleted"),
              2u)
        << Log();

    for (int run = 0; run < 3; ++run)
        RunAll({{{"SendeVerzeichnis", src.path()},
                 {"EmpfangsVerzeichnis", src / "out"},
                 {"ParsingType", "1"}}});
    EXPECT_EQ(ReadFile(src / "out/a.txt"), "a");
    EXPECT_FALSE(fs::exists(src / "out/out"));

    RunAll({{{"SendeVerzeichnis", src.path()},
             {"EmpfangsVerzeichnis", dst.path()},
             {"CopyMode", "99"},
             {"Name", "Odd"}}});
    EXPECT_FALSE(fs::exists(dst / "a.txt"));
    EXPECT_NE(Log().find("Job Odd not run: stored choice out of range (CopyMode=99)"),
              std::string::npos);
    EXPECT_EQ(station.Log.JobsCutShort, 1u);
}

}  // namespace
}  // namespace ferrolin
