// Share jobs run in-process by one station that lives across runs, as the automatic mode
// keeps it: its connections to a share outlast a restart of the server, and list files
// whose lines name files on a share.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/recording_surfaces.h"
#include "support/smb_servers.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class StationShareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        ASSERT_TRUE(server.Ready()) << server.Log();
    }
    // A job whose share side logs on with the server's user.
    IniKeys Job(const std::string& source, const std::string& dest) const {
        IniKeys job = {{"SendeVerzeichnis", source}, {"EmpfangsVerzeichnis", dest}};
        const char* side = source.rfind("//", 0) == 0 ? "Source" : "Dest";
        job[std::string(side) + "LName"] = server.User();
        job[std::string(side) + "LPassword"] = server.Password();
        return job;
    }
    void RunAll(const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), {}, jobs);
        ReadConfig(station);
        RunAllJobsManually(station, false);
    }
    bool RunFailed() const { return station.Log.FailedFiles + station.Log.JobsCutShort > 0; }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    static int64_t MtimeMicros(const std::string& path) {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return -1;
        return st.st_mtim.tv_sec * 1000000LL + st.st_mtim.tv_nsec / 1000;
    }

    test::SambaServer server;
    test::ScopedHome smbHome{server.Home()};
    TempDir home, local;
    test::RecordingSurfaces surfaces;
    Station station{home.path(), surfaces};
};

TEST_F(StationShareTest, KeptConnectionSurvivesAServerRestartAndTheOutageFailsCleanly) {
    WriteFile(local / "up/a.txt", "alpha");
    WriteFile(server.ShareFolder() + "/down/d.txt", "delta");
    WriteFile(local / "down/precious.txt", "not on the share, kept while it is away");
    fs::create_directories(server.ShareFolder() + "/in");
    IniKeys upload = Job(local / "up", server.SharePath() + "/in");
    IniKeys mirror = Job(server.SharePath() + "/down", local / "down");
    mirror["CopyMode"] = "3";
    const std::vector<IniKeys> jobs = {upload, mirror};
    // Mirror deletions are not the subject here: keep the local extra through run 1.
    RunAll({upload});
    ASSERT_FALSE(RunFailed()) << Log();
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/in/a.txt"), "alpha");
    EXPECT_EQ(station.Shares.ConnectionCount(), 1u);

    server.Kill();
    WriteFile(local / "up/b.txt", "bravo");
    RunAll(jobs);
    EXPECT_TRUE(RunFailed()) << Log();
    EXPECT_EQ(station.RunMode, RM_Idle);
    EXPECT_EQ(ReadFile(local / "down/precious.txt"), "not on the share, kept while it is away");
    EXPECT_FALSE(fs::exists(local / "down/d.txt"));
    EXPECT_EQ(Log().find("deleted"), std::string::npos) << Log();

    ASSERT_TRUE(server.Restart()) << server.Log();
    RunAll(jobs);
    EXPECT_FALSE(RunFailed()) << Log();
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/in/b.txt"), "bravo") << Log();
    EXPECT_EQ(ReadFile(local / "down/d.txt"), "delta") << Log();
    EXPECT_FALSE(fs::exists(local / "down/precious.txt"));  // now the mirror may act
    // Still one connection for the share and user, not one per run or per file.
    EXPECT_EQ(station.Shares.ConnectionCount(), 1u);

    // A restart between two runs, with no failed run to notice it: the next run goes on.
    server.Kill();
    ASSERT_TRUE(server.Restart()) << server.Log();
    WriteFile(local / "up/c.txt", "charlie");
    RunAll(jobs);
    EXPECT_FALSE(RunFailed()) << Log();
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/in/c.txt"), "charlie") << Log();
    EXPECT_EQ(station.Shares.ConnectionCount(), 1u);
}

TEST_F(StationShareTest, ListFileLinesOnAShareAreCopiedAndMissingOnesSkippedLikeLocalOnes) {
    const std::string share = server.SharePath();
    WriteFile(server.ShareFolder() + "/dir/one.txt", "one");
    WriteFile(server.ShareFolder() + "/dir/sub/two.bin", std::string(2 * 1024 * 1024 + 3, 't'));
    fs::last_write_time(server.ShareFolder() + "/dir/one.txt",
                        fs::file_time_type::clock::now() - std::chrono::hours(50));
    WriteFile(local / "three.txt", "three");
    fs::create_directories(local / "out");
    WriteFile(home / "files.lst", share + "/dir/one.txt\r\n" + share + "/dir/missing.txt\r\n" +
                                      local / "gone.txt" + "\r\n" + share + "/dir/sub/two.bin\r\n" +
                                      local / "three.txt" + "\r\n");
    IniKeys job = Job(home / "files.lst", local / "out");
    job["SourceType"] = "5";
    job["SourceLName"] = server.User();

    // A wrong password is no missing file: the job says so and the run fails, while the
    // local lines are copied.
    job["SourceLPassword"] = "wrong";
    RunAll({job});
    EXPECT_TRUE(RunFailed());
    EXPECT_NE(Log().find("Logon to " + share + " refused"), std::string::npos) << Log();
    EXPECT_EQ(ReadFile(local / "out/three.txt"), "three");
    EXPECT_FALSE(fs::exists(local / "out/one.txt"));

    job["SourceLPassword"] = server.Password();
    RunAll({job});
    EXPECT_FALSE(RunFailed()) << Log();
    for (const std::string name : {"one.txt", "sub/two.bin"}) {
        SCOPED_TRACE(name);
        const std::string copy = local / "out" / fs::path(name).filename();
        const std::string remote = server.ShareFolder() + "/dir/" + name;
        EXPECT_TRUE(ReadFile(copy) == ReadFile(remote));
        EXPECT_EQ(MtimeMicros(copy), MtimeMicros(remote));
    }
    EXPECT_FALSE(fs::exists(local / "out/missing.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(local / "out"), fs::directory_iterator()), 3);

    // The server gone behind the kept connection: its lines are not "missing", the run fails.
    server.Kill();
    RunAll({job});
    EXPECT_TRUE(RunFailed());
    EXPECT_NE(Log().find(share + "/dir/one.txt not read: "), std::string::npos) << Log();
}

}  // namespace
}  // namespace ferrolin
