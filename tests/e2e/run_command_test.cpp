// ferrolin-cli run on a temporary program folder with real folders.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

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

class RunCommandTest : public ::testing::Test {
protected:
    CommandResult Run(const std::vector<std::string>& args = {"run"}) {
        std::vector<std::string> argv = {FERROLIN_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunCommand(argv, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    IniKeys FolderJob(const std::string& source, const std::string& dest) {
        return {{"SendeVerzeichnis", source}, {"EmpfangsVerzeichnis", dest}};
    }
    static size_t Position(const std::string& text, const std::string& part) {
        return text.find(part);
    }

    TempDir home, src, dst;
};

TEST_F(RunCommandTest, CopiesOddNamesKeepsTimesAndLogsTheRun) {
    std::string deep = src.path();
    for (int level = 0; level < 8; ++level) deep += "/" + std::string(100, char('k' + level));
    const std::vector<std::string> names = {"with space.txt", "say \"hi\".txt", "-leading-dash.txt",
                                            "grüße ÄÖÜ.txt", "it's (1).txt"};
    for (const std::string& name : names) {
        WriteFile(src / name, "content of " + name);
        WriteFile(deep + "/" + name, "deep " + name);
    }
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(src / "with space.txt", old);
    IniKeys job = FolderJob(src.path(), dst.path());
    job["ParsingType"] = "1";
    test::WriteJobIni(home.path(), {{"LogEndStatistic", "1"}}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    const std::string deepDest = dst.path() + deep.substr(src.path().size());
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFile(dst / name), "content of " + name) << name;
        EXPECT_EQ(ReadFile(deepDest + "/" + name), "deep " + name) << name;
    }
    // Times travel as 100-ns file times.
    EXPECT_LT(std::chrono::abs(fs::last_write_time(dst / "with space.txt") - old),
              std::chrono::microseconds(1));

    const std::string log = Log();
    const size_t started = Position(log, "000 Program started");
    const size_t copied = Position(log, "Copy to " + dst.path() + "/-leading-dash.txt successful");
    const size_t statistic = Position(log, "Total copied files: 10 size: ");
    const size_t closed = Position(log, "000 Program closed");
    ASSERT_NE(started, std::string::npos) << log;
    ASSERT_NE(copied, std::string::npos) << log;
    ASSERT_NE(statistic, std::string::npos) << log;
    ASSERT_NE(closed, std::string::npos) << log;
    EXPECT_LT(started, copied);
    EXPECT_LT(copied, statistic);
    EXPECT_LT(statistic, closed);
    // The status texts reach stderr, a few lines a second at most.
    EXPECT_NE(result.errors.find("searching... "), std::string::npos) << result.errors;

    // Nothing to do the second time: still success, no copy logged again.
    EXPECT_EQ(Run().exitCode, 0);
    const std::string again = Log();
    size_t copies = 0;
    for (size_t at = again.find("Copy to "); at != std::string::npos; at = again.find("Copy to ", at + 1))
        ++copies;
    EXPECT_EQ(copies, 10u);
}

TEST_F(RunCommandTest, WithoutConfigurationNothingRunsAndTheRunSucceeds) {
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_NE(Log().find("Program started"), std::string::npos);
    EXPECT_NE(Log().find("Program closed"), std::string::npos);
    EXPECT_EQ(Run({"run", "extra"}).exitCode, 2);
}

TEST_F(RunCommandTest, AFailedFileGivesExitStatusOneAndTheOthersArrive) {
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "b.txt", "b");
    fs::create_directories(dst / "a.txt");  // a folder where a file should go
    TempDir second;
    test::WriteJobIni(home.path(), {},
                      {FolderJob(src.path(), dst.path()), FolderJob(src.path(), second.path())});
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    EXPECT_EQ(ReadFile(dst / "b.txt"), "b");
    EXPECT_EQ(ReadFile(second / "a.txt"), "a");  // a failed file does not stop the run
}

TEST_F(RunCommandTest, MirrorWithDelayedDeletionsKeepsLinesItCannotRead) {
    WriteFile(src / "keep.txt", "k");
    WriteFile(dst / "keep.txt", "k");
    WriteFile(dst / "orphan.txt", "o");
    WriteFile(dst / "due.txt", "d");
    const std::string damaged = "yesterday-ish\t" + dst / "keep.txt";
    WriteFile(home / "DelayDelete.txt",
              damaged + "\r\n2020-01-01 00:00:00\t" + dst / "due.txt" + "\r\n");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["CopyMode"] = "3";
    job["DestDelDelay"] = "2";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_FALSE(fs::exists(dst / "due.txt"));
    EXPECT_TRUE(fs::exists(dst / "orphan.txt"));  // postponed, not deleted
    EXPECT_TRUE(fs::exists(dst / "keep.txt"));
    const std::string lines = ReadFile(home / "DelayDelete.txt");
    EXPECT_EQ(lines.find(damaged + "\r\n"), 0u) << lines;
    EXPECT_NE(lines.find("\t" + dst / "orphan.txt" + "\r\n"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("due.txt"), std::string::npos) << lines;
    EXPECT_NE(Log().find("File " + dst / "due.txt" + " deleted"), std::string::npos);
    EXPECT_NE(Log().find("line not understood, kept: " + damaged), std::string::npos);
}

TEST_F(RunCommandTest, SigtermActsAsCancelAndLeavesNoPartialFile) {
    WriteFile(src / "big.bin", std::string(24 * 1024 * 1024, 'b'));
    WriteFile(src / "later.txt", "l");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["MaxByteRate"] = "1";  // 1 MiB/s: the copy takes far longer than the test waits
    TempDir second;
    test::WriteJobIni(home.path(), {}, {job, FolderJob(src.path(), second.path())});

    const CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}}, [&](pid_t pid) {
            test::WaitFor([&] { return fs::exists(dst / "big.bin.tmp"); });
            kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.exitCode, 130) << result.errors;
    // A copy that ran on to the end would have left big.bin.
    EXPECT_FALSE(fs::exists(dst / "big.bin"));
    EXPECT_FALSE(fs::exists(dst / "big.bin.tmp"));
    EXPECT_FALSE(fs::exists(dst / "later.txt"));
    EXPECT_TRUE(fs::is_empty(second.path()));
    EXPECT_NE(Log().find("Program closed"), std::string::npos);
}

TEST_F(RunCommandTest, TheDemoConfigurationCopiesItsSampleFiles) {
    ASSERT_EQ(Run({"demo-init"}).exitCode, 0);
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    size_t copied = 0;
    for (const auto& entry : fs::directory_iterator(home / "demo-source")) {
        EXPECT_EQ(ReadFile(home / "demo-destination/" + entry.path().filename().string()),
                  ReadFile(entry.path().string()));
        ++copied;
    }
    EXPECT_GT(copied, 0u);
}

}  // namespace
}  // namespace ferrolin
