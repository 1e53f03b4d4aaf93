// ferrolin-cli run against a program folder that someone else is using, or that holds
// pipes, devices and missing folders where files are expected: the run neither hangs nor
// reports success for what it could not do.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "platform/run_lock.h"
#include "support/child_process.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "support/web_servers.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class HostileRun : public ::testing::Test {
  protected:
    CommandResult Run(const std::string& homePath) {
        return test::RunCommand({FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", homePath}});
    }
    CommandResult Run() { return Run(home.path()); }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    IniKeys FolderJob(const std::string& source) {
        return {{"SendeVerzeichnis", source}, {"EmpfangsVerzeichnis", dst.path()}};
    }

    TempDir home, src, dst;
};

// One run at a time per program folder: a second run says so, exits 3 and touches
// nothing; once the first has ended the next run goes ahead.
TEST_F(HostileRun, ASecondRunOnTheSameFolderIsTurnedAway) {
    WriteFile(src / "a.txt", "a");
    test::WriteJobIni(home.path(), {}, {FolderJob(src.path())});
    {
        bool busy = false;
        const auto held = platform::RunLock::TryTake(home / "Ferrolin.lock", &busy);
        ASSERT_TRUE(held.has_value());
        const CommandResult result = Run();
        EXPECT_EQ(result.exitCode, 3) << result.errors;
        EXPECT_NE(result.errors.find("a run is active in " + home.path()), std::string::npos)
            << result.errors;
        EXPECT_FALSE(fs::exists(home / "Ferrolin.log"));
        EXPECT_FALSE(fs::exists(dst / "a.txt"));
        EXPECT_FALSE(platform::RunLock::TryTake(home / "Ferrolin.lock", &busy).has_value());
        EXPECT_TRUE(busy);
    }
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");
}

// What could not be done is a failure (exit 1, with a log line), a program folder that is
// not there a usage error (exit 2); pipes, devices and huge files are refused at once.
TEST_F(HostileRun, HonestExitCodesAndNoWaitOnPipesOrDevices) {
    const CommandResult missingHome = Run(home / "nowhere");
    EXPECT_EQ(missingHome.exitCode, 2);
    EXPECT_NE(missingHome.errors.find(home / "nowhere (FERROLIN_HOME) does not exist"),
              std::string::npos)
        << missingHome.errors;

    test::WriteJobIni(home.path(), {}, {FolderJob(src / "missing")});
    EXPECT_EQ(Run().exitCode, 1);
    EXPECT_NE(Log().find("Source " + src / "missing could not be listed"), std::string::npos)
        << Log();

    WriteFile(src / "a.txt", "a");
    ASSERT_EQ(mkfifo((home / "pipe.txt").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((home / "DelayDelete.txt").c_str(), 0644), 0);
    WriteFile(home / "huge.txt", "");
    fs::resize_file(home / "huge.txt", (64 << 20) + 1);
    IniKeys compare = FolderJob(src.path());
    compare["CLFile"] = "/dev/zero";
    IniKeys pipeCompare = FolderJob(src.path());
    pipeCompare["CLFile"] = home / "pipe.txt";
    IniKeys mirror = FolderJob(src.path());
    mirror["CopyMode"] = "3";
    mirror["DestDelDelay"] = "2";
    test::WriteJobIni(home.path(), {},
                      {compare,
                       pipeCompare,
                       mirror,
                       {{"SendeVerzeichnis", home / "pipe.txt"},
                        {"SourceType", "5"},
                        {"EmpfangsVerzeichnis", dst.path()}},
                       {{"SendeVerzeichnis", home / "huge.txt"},
                        {"SourceType", "5"},
                        {"EmpfangsVerzeichnis", dst.path()}}});
    EXPECT_EQ(Run().exitCode, 1);
    const std::string log = Log();
    const std::string pipe = ": Not a regular file (a pipe, device or folder).";
    for (const std::string& line :
         {"Compare list file /dev/zero not read" + pipe,
          "Compare list file " + home / "pipe.txt not read" + pipe,
          "DelayDelete.txt could not be read, left as it is" + pipe,
          "List file " + home / "pipe.txt not read" + pipe,
          "List file " + home / "huge.txt not read: The file is larger than 64 MiB."})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");

    // The INI itself as a pipe; then a log that cannot be written, said once.
    fs::remove(home / "Ferrolin.INI");
    ASSERT_EQ(mkfifo((home / "Ferrolin.INI").c_str(), 0644), 0);
    EXPECT_EQ(Run().exitCode, 1);
    EXPECT_NE(Log().find(home / "Ferrolin.INI not read" + pipe), std::string::npos);
    fs::remove(home / "Ferrolin.INI");
    fs::remove(home / "Ferrolin.log");
    fs::create_directories(home / "Ferrolin.log");
    const CommandResult noLog = Run();
    EXPECT_EQ(noLog.exitCode, 1);
    const std::string said = "Unable to write the log file " + home / "Ferrolin.log";
    const size_t at = noLog.errors.find(said);
    EXPECT_NE(at, std::string::npos) << noLog.errors;
    EXPECT_EQ(noLog.errors.find(said, at + 1), std::string::npos) << noLog.errors;
}

// The automatic station leaves its due runs to the next tick while another process holds
// the program folder, and runs as soon as it is free again.
TEST_F(HostileRun, AutoWaitsForTheNextTickWhileAnotherRunIsActive) {
    WriteFile(src / "a.txt", "a");
    test::WriteJobIni(home.path(), {{"SendTimeMode", "0"}, {"SendTimeSimpleInterval", "00:00:01"}},
                      {FolderJob(src.path())});
    std::optional<platform::RunLock> held = platform::RunLock::TryTake(home / "Ferrolin.lock");
    ASSERT_TRUE(held.has_value());
    setenv("FERROLIN_HOME", home.path().c_str(), 1);
    test::ChildProcess station({FERROLIN_CLI_PATH, "auto"}, home / "auto.out");
    unsetenv("FERROLIN_HOME");
    // Several due ticks pass while the folder is held: none of them runs.
    EXPECT_TRUE(test::WaitFor([&] {
        const std::string out = ReadFile(home / "auto.out");
        size_t starts = 0;
        for (size_t at = out.find("next start: "); at != std::string::npos;
             at = out.find("next start: ", at + 1))
            ++starts;
        return starts >= 1;
    }));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_FALSE(fs::exists(dst / "a.txt"));
    held.reset();
    EXPECT_TRUE(test::WaitFor([&] { return fs::exists(dst / "a.txt"); }, std::chrono::seconds(30)))
        << ReadFile(home / "auto.out");
}

// Jobs whose destination or source is the program folder never write, replace or delete
// the program's own files, whatever the kind: a copy, a mirror step, a source deletion,
// an HTTP download and an FTP download each skip them with a log line.
TEST_F(HostileRun, NoJobTouchesTheProgramsOwnFiles) {
    const std::string evil = "[Global]\nAnzKopfstellen=0\n";
    for (const char* name : {"Ferrolin.INI", "DelayDelete.txt", "Ferrolin.lock", "FtpHost.ini"})
        WriteFile(src / name, evil);
    WriteFile(src / "ok.txt", "ok");
    TempDir mirrorSource, copies;
    WriteFile(mirrorSource / "a.txt", "a");
    IniKeys intoHome = {{"SendeVerzeichnis", src.path()},
                        {"EmpfangsVerzeichnis", home.path()},
                        {"SourceDelete", "1"}};
    IniKeys mirror = {{"SendeVerzeichnis", mirrorSource.path()},
                      {"EmpfangsVerzeichnis", home.path() + "/."},
                      {"CopyMode", "3"},
                      {"DestDelDelay", "0"}};
    IniKeys fromHome = {{"SendeVerzeichnis", home / "*.INI"},
                        {"EmpfangsVerzeichnis", copies.path()},
                        {"SourceDelete", "1"}};
    std::vector<IniKeys> jobs{intoHome, mirror, fromHome};
    std::unique_ptr<test::TestHttpServer> web;
    if (test::TestHttpServer::Available()) {
        web = std::make_unique<test::TestHttpServer>(std::string(FERROLIN_SOURCE_DIR) +
                                                     "/tests/support/http_test_server.py");
        ASSERT_TRUE(web->Ready()) << web->Log();
        WriteFile(web->Folder() + "/Ferrolin.INI", evil);
        jobs.push_back({{"SendeVerzeichnis", web->Url("/files/Ferrolin.INI")},
                        {"EmpfangsVerzeichnis", home / "Ferrolin.INI"}});
    }
    std::unique_ptr<test::PyFtpServer> ftp;
    if (test::PyFtpServer::Available()) {
        ftp = std::make_unique<test::PyFtpServer>();
        ASSERT_TRUE(ftp->Ready()) << ftp->Log();
        WriteFile(ftp->Root() + "/Ferrolin.log", "a server's log");
        WriteFile(ftp->Root() + "/Ferrolin.lock", "");
        jobs.push_back({{"SendeVerzeichnis", "ftp://" + ftp->Address() + "/"},
                        {"EmpfangsVerzeichnis", home.path()},
                        {"SourceLName", ftp->Options().user},
                        {"SourceLPassword", ftp->Options().password},
                        {"PassiveMode", "1"},
                        {"SourceDelete", "1"}});
    }
    test::WriteJobIni(home.path(), {}, jobs);

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    const std::string log = Log();
    const std::string skipped = " skipped: it is one of the program's own files";
    for (const char* name : {"Ferrolin.INI", "DelayDelete.txt", "Ferrolin.lock", "FtpHost.ini"})
        EXPECT_NE(log.find("File " + home / name + skipped), std::string::npos) << name << log;
    EXPECT_NE(log.find("Source " + home / "Ferrolin.INI" + skipped), std::string::npos) << log;
    // Every job still ran from the INI as the test wrote it, and the files are there.
    EXPECT_EQ(ReadFile(home / "Ferrolin.INI").find("AnzKopfstellen=0"), std::string::npos);
    EXPECT_TRUE(fs::exists(home / "Ferrolin.lock"));
    // The lock names the run's own process, not what the server offered.
    EXPECT_EQ(ReadFile(home / "Ferrolin.lock").find_first_not_of("0123456789\n"), std::string::npos)
        << ReadFile(home / "Ferrolin.lock");
    EXPECT_NE(ReadFile(home / "Ferrolin.log").find("Program started"), std::string::npos);
    EXPECT_FALSE(fs::exists(home / "FtpHost.ini"));
    EXPECT_NE(ReadFile(copies / "Ferrolin.INI").find("[Kopf0]"), std::string::npos);
    // What is not the program's own went through, the source of a skipped file stays.
    EXPECT_EQ(ReadFile(src / "Ferrolin.INI"), evil);
    EXPECT_FALSE(fs::exists(src / "ok.txt"));
    if (ftp) {
        EXPECT_TRUE(fs::exists(ftp->Root() + "/Ferrolin.log"));
        EXPECT_EQ(ReadFile(home / "Ferrolin.log").find("a server's log"), std::string::npos);
    }
}

}  // namespace
}  // namespace ferrolin
