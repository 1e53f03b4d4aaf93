// ferrolin-cli run with FTP jobs against real servers on loopback: vsftpd for the plain
// flows, the scripted pyftpdlib server where a server has to misbehave.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::CountOccurrences;
using test::IniKeys;
using test::PyFtpOptions;
using test::PyFtpServer;
using test::ReadFile;
using test::TempDir;
using test::VsftpdServer;
using test::WriteFile;

constexpr int64_t kListedTime = 1700000000;  // 2023-11-14 22:13:20 UTC

void WriteFileAt(const std::string& path, const std::string& content, int64_t unixTime) {
    WriteFile(path, content);
    chmod(path.c_str(), 0644);
    timeval times[2] = {{unixTime, 0}, {unixTime, 0}};
    utimes(path.c_str(), times);
}

int64_t ModificationTime(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

class FtpRunTest : public ::testing::Test {
  protected:
    CommandResult Run() {
        return test::RunCommand({FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    static std::string Address(const test::LoopbackDaemon& server, const std::string& folder) {
        return "ftp://" + server.Address() + folder;
    }
    // A download job from the scripted server's folder with its user and password.
    IniKeys DownloadJob(const PyFtpServer& server, const std::string& folder) {
        return {{"SendeVerzeichnis", Address(server, folder)},
                {"EmpfangsVerzeichnis", dst.path()},
                {"SourceLName", server.Options().user},
                {"SourceLPassword", server.Options().password},
                {"PassiveMode", "1"}};
    }
    void ExpectNoPassword(const CommandResult& result, const std::string& password) {
        EXPECT_EQ(Log().find(password), std::string::npos);
        EXPECT_EQ(result.output.find(password), std::string::npos);
        EXPECT_EQ(result.errors.find(password), std::string::npos);
    }

    TempDir home, src, dst;
};

#define REQUIRE_SERVER(server)                                            \
    if (!server.Ready()) GTEST_SKIP() << "FTP server did not start: " << server.Log()

// ---- upload ----

TEST_F(FtpRunTest, UploadUsesTemporaryNamesAndEmptyFilesDeleteTheirRemoteName) {
    if (!VsftpdServer::Available()) GTEST_SKIP() << "vsftpd missing";
    VsftpdServer server;
    REQUIRE_SERVER(server);
    const std::string pub = server.Root() + "/pub";
    WriteFile(pub + "/gone.txt", "old");
    chmod((pub + "/gone.txt").c_str(), 0666);
    WriteFile(src / "a.txt", "alpha");
    WriteFile(src / "b b.bin", std::string(300000, 'b'));
    WriteFile(src / "gone.txt", "");
    IniKeys job = {{"SendeVerzeichnis", src.path()},
                   {"EmpfangsVerzeichnis", Address(server, "/pub")},
                   {"DestLName", "anonymous"},
                   {"DestLPassword", "guest@example.com"},
                   {"PassiveMode", "1"}};
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(pub + "/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(pub + "/b b.bin"), std::string(300000, 'b'));
    EXPECT_FALSE(fs::exists(pub + "/gone.txt"));
    EXPECT_FALSE(fs::exists(pub + "/a.txt.tmp"));
    const std::string log = Log();
    EXPECT_EQ(CountOccurrences(log, "0 Byte File " + src / "gone.txt" + " deleted"), 1);
    EXPECT_EQ(CountOccurrences(log, "send of "), 2);
    const std::string protocol = server.ProtocolLog();
    EXPECT_NE(protocol.find("STOR /pub/a.txt.tmp"), std::string::npos) << protocol;
    EXPECT_NE(protocol.find("RNTO /pub/a.txt"), std::string::npos) << protocol;
    // One login for the whole job, and no deletion of names the folder does not hold.
    EXPECT_EQ(CountOccurrences(protocol, "OK LOGIN"), 1) << protocol;
    EXPECT_EQ(protocol.find("DELE /pub/a.txt"), std::string::npos) << protocol;

    // The deletion order has nothing left to delete: reported, and the run fails.
    const CommandResult again = Run();
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(CountOccurrences(Log(), "File " + src / "gone.txt" + " deleting failed"), 1);
    EXPECT_EQ(ReadFile(pub + "/a.txt"), "alpha");
}

TEST_F(FtpRunTest, RefusedUploadIsRetriedOnceAndFailsTheRun) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpOptions options;
    options.refuse = "STOR";
    PyFtpServer server(options);
    REQUIRE_SERVER(server);
    WriteFile(src / "a.txt", "alpha");
    IniKeys job = {{"SendeVerzeichnis", src.path()},
                   {"EmpfangsVerzeichnis", Address(server, "/")},
                   {"DestLName", "tester"},
                   {"DestLPassword", "secret"},
                   {"PassiveMode", "1"}};
    test::WriteJobIni(home.path(), {}, {job});
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(fs::exists(server.Root() + "/a.txt"));
    EXPECT_FALSE(fs::exists(server.Root() + "/a.txt.tmp"));
    EXPECT_EQ(CountOccurrences(Log(), "send of " + src / "a.txt" + " failed"), 1) << Log();
}

// ---- download ----

TEST_F(FtpRunTest, DownloadKeepsTheListedTimeAndTheSecondRunFetchesNothing) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpOptions options;
    options.password = "pa55-w0rd-xyz";
    PyFtpServer server(options);
    REQUIRE_SERVER(server);
    fs::create_directories(server.Root() + "/in");
    WriteFileAt(server.Root() + "/in/x.txt", "x-content", kListedTime);
    WriteFileAt(server.Root() + "/in/empty.dat", "", kListedTime);
    WriteFile(dst / "x.txt", "an older version");
    test::WriteJobIni(home.path(), {}, {DownloadJob(server, "/in")});

    const CommandResult first = Run();
    EXPECT_EQ(first.exitCode, 0) << first.errors << Log();
    EXPECT_EQ(ReadFile(dst / "x.txt"), "x-content");
    EXPECT_EQ(ModificationTime(dst / "x.txt"), kListedTime);
    EXPECT_TRUE(fs::exists(dst / "empty.dat"));  // a zero-byte remote file is fetched too
    EXPECT_FALSE(fs::exists(dst / "x.txt.tmp"));
    // Each line names the file it is about.
    EXPECT_EQ(CountOccurrences(Log(), "receive of /in/x.txt successful"), 1) << Log();
    EXPECT_EQ(CountOccurrences(Log(), "receive of /in/empty.dat successful"), 1) << Log();

    const CommandResult second = Run();
    EXPECT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_EQ(CountOccurrences(Log(), "receive of "), 2) << Log();
    ExpectNoPassword(first, options.password);
    ExpectNoPassword(second, options.password);
}

TEST_F(FtpRunTest, DroppedDownloadKeepsTheOldCopyAndTheNextRunCompletesIt) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    const std::string content(1024 * 1024, 'n');
    PyFtpOptions dropping;
    dropping.dropAfter = 64 * 1024;
    PyFtpServer broken(dropping);
    REQUIRE_SERVER(broken);
    WriteFileAt(broken.Root() + "/big.bin", content, kListedTime);
    WriteFile(dst / "big.bin", "old version");
    test::WriteJobIni(home.path(), {}, {DownloadJob(broken, "/")});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << Log();
    EXPECT_EQ(ReadFile(dst / "big.bin"), "old version");
    EXPECT_FALSE(fs::exists(dst / "big.bin.tmp"));

    PyFtpServer healthy;
    REQUIRE_SERVER(healthy);
    WriteFileAt(healthy.Root() + "/big.bin", content, kListedTime);
    test::WriteJobIni(home.path(), {}, {DownloadJob(healthy, "/")});
    EXPECT_EQ(Run().exitCode, 0) << Log();
    EXPECT_EQ(ReadFile(dst / "big.bin"), content);
}

TEST_F(FtpRunTest, NoFtpDisconnectKeepsOneSessionForTheNextJob) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpServer server;
    REQUIRE_SERVER(server);
    fs::create_directories(server.Root() + "/one");
    fs::create_directories(server.Root() + "/two");
    WriteFile(server.Root() + "/one/a.txt", "a");
    WriteFile(server.Root() + "/two/b.txt", "b");
    TempDir second;
    IniKeys other = DownloadJob(server, "/two");
    other["EmpfangsVerzeichnis"] = second.path();
    test::WriteJobIni(home.path(), {{"NoFTPDisconnect", "1"}}, {DownloadJob(server, "/one"), other});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");
    EXPECT_EQ(ReadFile(second / "b.txt"), "b");
    EXPECT_FALSE(fs::exists(dst / "b.txt"));
    EXPECT_EQ(CountOccurrences(server.Log(), "logged in"), 1) << server.Log();

    // Without the option, a job whose listing ends before any transfer (an upload still
    // in progress at the source) closes its session too: the next job logs in anew.
    WriteFile(server.Root() + "/one/UPLOADINPROGRESS.TXT", "");
    test::WriteJobIni(home.path(), {{"UploadInProgressCheck", "1"}},
                      {DownloadJob(server, "/one"), other});
    EXPECT_EQ(Run().exitCode, 0) << Log();
    EXPECT_EQ(CountOccurrences(server.Log(), "logged in"), 3) << server.Log();
}

// ---- mirror steps ----

TEST_F(FtpRunTest, MirrorToFtpDeletesOrphansButNotUploadsOrRefusedNames) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpOptions options;
    options.extraNames = {"..", "bell\x07name"};
    PyFtpServer server(options);
    REQUIRE_SERVER(server);
    fs::create_directories(server.Root() + "/out");
    WriteFile(server.Root() + "/out/orphan.txt", "o");
    WriteFile(server.Root() + "/out/a.txt", "stale");
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "sub/b.txt", "b");  // uploaded into the subfolder, made on the server
    IniKeys job = {{"SendeVerzeichnis", src.path()},
                   {"EmpfangsVerzeichnis", Address(server, "/out")},
                   {"DestLName", "tester"},
                   {"DestLPassword", "secret"},
                   {"PassiveMode", "1"},
                   {"ParsingType", "1"},
                   {"CopyMode", "3"}};
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_FALSE(fs::exists(server.Root() + "/out/orphan.txt"));
    EXPECT_EQ(ReadFile(server.Root() + "/out/a.txt"), "a");
    EXPECT_EQ(ReadFile(server.Root() + "/out/sub/b.txt"), "b");
    const std::string log = Log();
    EXPECT_EQ(CountOccurrences(log, "File orphan.txt deleted"), 1) << log;
    EXPECT_EQ(CountOccurrences(log, " deleted"), 1) << log;
    EXPECT_EQ(CountOccurrences(server.Log(), "DELE /out/.."), 0);
    EXPECT_EQ(CountOccurrences(server.Log(), "bell"), 0);
}

TEST_F(FtpRunTest, MirrorFromFtpKeepsStampedDownloadsAndRefusesHostileNames) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpOptions options;
    options.extraNames = {"../escape.txt", "a\\b.txt", "bell\x07name"};
    PyFtpServer server(options);
    REQUIRE_SERVER(server);
    fs::create_directories(server.Root() + "/in");
    WriteFileAt(server.Root() + "/in/Spot.mpg", "spot", kListedTime);
    WriteFile(dst / "orphan.txt", "o");
    IniKeys job = DownloadJob(server, "/in");
    job["CopyMode"] = "3";
    job["AddTimeStampC"] = "1";
    job["ExcludeExtensions"] = ".keep";
    WriteFile(dst / "rules.keep", "excluded from deletion");
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    const std::string log = Log();
    for (const char* name : {"../escape.txt", "a\\b.txt"})
        EXPECT_EQ(CountOccurrences(log, std::string("Remote file name refused: ") + name), 1) << log;
    EXPECT_FALSE(fs::exists(dst / "orphan.txt"));
    EXPECT_EQ(CountOccurrences(log, "File " + dst / "orphan.txt" + " deleted"), 1) << log;
    EXPECT_EQ(ReadFile(dst / "rules.keep"), "excluded from deletion");
    // The stamped copy of Spot.mpg arrived and survived the mirror step.
    int stamped = 0;
    for (const auto& entry : fs::directory_iterator(dst.path())) {
        const std::string name = entry.path().filename();
        if (name.rfind("Spot", 0) == 0 && name.size() == 4 + 12 + 4) ++stamped;
    }
    EXPECT_EQ(stamped, 1);
    EXPECT_FALSE(fs::exists(fs::path(dst.path()).parent_path() / "escape.txt"));
}

// ---- failures ----

TEST_F(FtpRunTest, BadLoginIsLoggedWithoutThePasswordAndFailsTheRun) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpServer server;
    REQUIRE_SERVER(server);
    WriteFile(server.Root() + "/x.txt", "x");
    WriteFile(src / "a.txt", "a");
    const std::string wrong = "not-the-password-42";
    IniKeys download = DownloadJob(server, "/");
    download["SourceLPassword"] = wrong;
    IniKeys upload = {{"SendeVerzeichnis", src.path()},
                      {"EmpfangsVerzeichnis", Address(server, "/")},
                      {"DestLName", "tester"},
                      {"DestLPassword", wrong},
                      {"CopyMode", "3"}};
    test::WriteJobIni(home.path(), {}, {download, upload});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(CountOccurrences(Log(), "Exception on Connect: "), 2) << Log();
    EXPECT_FALSE(fs::exists(dst / "x.txt"));
    EXPECT_TRUE(fs::exists(server.Root() + "/x.txt"));  // no mirror step without a session
    ExpectNoPassword(result, wrong);
}

TEST_F(FtpRunTest, SigtermAbortsARunningDownload) {
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    PyFtpOptions options;
    options.rate = 1024 * 1024;
    PyFtpServer server(options);
    REQUIRE_SERVER(server);
    WriteFile(server.Root() + "/big.bin", std::string(200 * 1024 * 1024, 'c'));
    test::WriteJobIni(home.path(), {}, {DownloadJob(server, "/")});
    const CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}}, [&](pid_t pid) {
            test::WaitFor([&] { return fs::exists(dst / "big.bin.tmp"); });
            kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.exitCode, 130) << result.errors;
    EXPECT_FALSE(fs::exists(dst / "big.bin"));
    EXPECT_FALSE(fs::exists(dst / "big.bin.tmp"));
}

}  // namespace
}  // namespace ferrolin
