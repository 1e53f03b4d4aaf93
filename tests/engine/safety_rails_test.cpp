// A station's runs of folder jobs with the deletion guards and the settle time set.
#include <gtest/gtest.h>

#include <filesystem>

#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/file_age.h"
#include "support/job_ini.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::AgeFile;
using test::FilesIn;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class SafetyRailsTest : public ::testing::Test {
  protected:
    SafetyRailsTest() : station(home.path(), surfaces) {}

    void Run(const IniKeys& job) {
        test::WriteJobIni(home.path(), {}, {job});
        ReadConfig(station);
        RunAllJobsManually(station, false);
    }
    IniKeys MirrorJob(const IniKeys& extra) {
        IniKeys job = {{"SendeVerzeichnis", src.path()},
                       {"EmpfangsVerzeichnis", dst.path()},
                       {"CopyMode", "3"}};
        job.insert(extra.begin(), extra.end());
        return job;
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }

    TempDir home, src, dst;
    test::RecordingSurfaces surfaces;
    Station station;
};

TEST_F(SafetyRailsTest, MirrorDeletionsPassTheGuard) {
    struct Case {
        const char* what;
        int sourceFiles;  // s0.txt ... also present at the destination
        int orphans;      // o0.txt ... at the destination only
        IniKeys keys;
        bool deleted;
        const char* logged;  // with the source folder after "Source ", when it starts with ":"
    };
    const std::vector<Case> cases = {
        {"empty source", 0, 3, {}, false, " is empty: mirror deletions skipped"},
        {"empty source allowed", 0, 3, {{"AllowEmptySource", "1"}}, true, nullptr},
        {"empty source, empty destination", 0, 0, {}, true, nullptr},
        {"count passed",
         2,
         3,
         {{"MaxDelete", "2"}},
         false,
         ": the mirror step would delete 3 of 5 destination files, more than MaxDelete=2 "
         "allows; nothing deleted"},
        {"count reached", 2, 3, {{"MaxDelete", "3"}}, true, nullptr},
        {"share passed",
         2,
         3,
         {{"MaxDelete", "50%"}},
         false,
         ": the mirror step would delete 3 of 5 destination files, more than MaxDelete=50%"},
        {"share reached", 2, 3, {{"MaxDelete", "60%"}}, true, nullptr},
        {"delayed deletions count too",
         2,
         3,
         {{"MaxDelete", "1"}, {"DestDelDelay", "4"}},
         false,
         ": the mirror step would delete 3 of 5"},
        {"limit not understood",
         2,
         1,
         {{"MaxDelete", "few"}},
         false,
         "MaxDelete \"few\" is not a count or a percentage; nothing deleted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(src.path());
        fs::remove_all(dst.path());
        fs::create_directories(src.path());
        fs::create_directories(dst.path());
        fs::remove(home / "Ferrolin.log");
        for (int k = 0; k < c.sourceFiles; ++k) {
            WriteFile(src / ("s" + std::to_string(k) + ".txt"), "s");
            WriteFile(dst / ("s" + std::to_string(k) + ".txt"), "s");
        }
        for (int k = 0; k < c.orphans; ++k)
            WriteFile(dst / ("o" + std::to_string(k) + ".txt"), "o");

        Run(MirrorJob(c.keys));
        EXPECT_EQ(FilesIn(dst.path()), size_t(c.sourceFiles + (c.deleted ? 0 : c.orphans)));
        EXPECT_FALSE(fs::exists(home / "DelayDelete.txt"));
        EXPECT_EQ(station.Log.FailedFiles, c.logged == nullptr ? 0u : 1u);
        if (c.logged != nullptr) {
            const std::string expected =
                c.logged[0] == 'M' ? c.logged : "Source " + src.path() + c.logged;
            EXPECT_NE(Log().find(expected), std::string::npos) << Log();
        }
    }
}

TEST_F(SafetyRailsTest, FilesStillBeingWrittenWaitAndKeepTheirOlderCopies) {
    WriteFile(src / "done.txt", "done");
    AgeFile(src / "done.txt", 3600);
    WriteFile(src / "growing.txt", "half of it");
    WriteFile(dst / "growing.txt", "yesterday's");
    AgeFile(dst / "growing.txt", 86400);
    const IniKeys job = MirrorJob({{"SettleSeconds", "600"}});

    for (int run = 0; run < 2; ++run) Run(job);
    EXPECT_EQ(ReadFile(dst / "done.txt"), "done");
    // Neither copied nor taken for an orphan.
    EXPECT_EQ(ReadFile(dst / "growing.txt"), "yesterday's");
    EXPECT_EQ(ReadFile(src / "growing.txt"), "half of it");
    const std::string waiting =
        "File " + src / "growing.txt" + " is still being written; left for a later run";
    EXPECT_EQ(test::CountOccurrences(Log(), waiting), 1) << Log();
    EXPECT_EQ(station.Log.FailedFiles + station.Log.JobsCutShort, 0u);

    // Once it has settled it goes like any other file; a new write is named again.
    AgeFile(src / "growing.txt", 900);
    Run(job);
    EXPECT_EQ(ReadFile(dst / "growing.txt"), "half of it");
    WriteFile(src / "growing.txt", "again, longer");
    Run(job);
    EXPECT_EQ(test::CountOccurrences(Log(), waiting), 2) << Log();
}

}  // namespace
}  // namespace ferrolin
