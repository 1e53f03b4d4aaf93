// ferrolin-cli run against a program folder that someone else is using, or that holds
// pipes, devices and missing folders where files are expected: the run neither hangs nor
// reports success for what it could not do.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/run_lock.h"
#include "support/child_process.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"

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
    EXPECT_NE(Log().find("Source " + src / "missing could not be listed"), std::string::npos) << Log();

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
                      {compare, pipeCompare, mirror,
                       {{"SendeVerzeichnis", home / "pipe.txt"}, {"SourceType", "5"},
                        {"EmpfangsVerzeichnis", dst.path()}},
                       {{"SendeVerzeichnis", home / "huge.txt"}, {"SourceType", "5"},
                        {"EmpfangsVerzeichnis", dst.path()}}});
    EXPECT_EQ(Run().exitCode, 1);
    const std::string log = Log();
    const std::string pipe = ": Not a regular file (a pipe, device or folder).";
    for (const std::string& line :
         {"Compare list file /dev/zero not read" + pipe, "Compare list file " + home / "pipe.txt not read" + pipe,
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
        for (size_t at = out.find("next start: "); at != std::string::npos; at = out.find("next start: ", at + 1))
            ++starts;
        return starts >= 1;
    }));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_FALSE(fs::exists(dst / "a.txt"));
    held.reset();
    EXPECT_TRUE(test::WaitFor([&] { return fs::exists(dst / "a.txt"); }, std::chrono::seconds(30)))
        << ReadFile(home / "auto.out");
}

}  // namespace
}  // namespace ferrolin
