#include "platform/process_control.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace ferrolin::platform {
namespace {

// A child process that stands in for the old program: it lives until killed.
class Sleeper {
public:
    Sleeper() {
        char sleep[] = "sleep";
        char seconds[] = "60";
        char* argv[] = {sleep, seconds, nullptr};
        if (posix_spawnp(&pid_, "sleep", nullptr, nullptr, argv, environ) != 0) pid_ = 0;
    }
    ~Sleeper() { End(); }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
    pid_t pid() const { return pid_; }
    void End() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

// The restart script waits for the old process, starts the program again in the program
// folder with its arguments (quotes and blanks intact) and deletes itself. The "program"
// here is a shell that writes its working folder and arguments to a file.
TEST(SelfRestart, ScriptWaitsForTheOldProcessThenStartsAndDeletesItself) {
    test::TempDir dir;
    const std::string programDir = dir / "it's a folder";
    std::filesystem::create_directories(programDir);
    Sleeper old;
    ASSERT_GT(old.pid(), 0);

    SelfRestartPlan plan;
    plan.scriptPath = programDir + "/SelfRestart.sh";
    plan.workingFolder = programDir;
    plan.waitFor = old.pid();
    plan.commandLine = {"/bin/sh", "-c", "pwd > restarted.txt; printf '%s|' \"$@\" >> restarted.txt",
                        "sh", "auto", "two words", "it's"};
    ASSERT_TRUE(StartSelfRestart(plan));

    // While the old process lives nothing is started.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_FALSE(std::filesystem::exists(programDir + "/restarted.txt"));
    EXPECT_TRUE(std::filesystem::exists(plan.scriptPath));

    old.End();
    ASSERT_TRUE(test::WaitFor([&] {
        return test::ReadFile(programDir + "/restarted.txt").find('|') != std::string::npos;
    }));
    EXPECT_EQ(test::ReadFile(programDir + "/restarted.txt"),
              programDir + "\nauto|two words|it's|");
    EXPECT_TRUE(test::WaitFor([&] { return !std::filesystem::exists(plan.scriptPath); }));
}

TEST(SelfRestart, ScriptThatCannotBeWrittenIsAFailure) {
    SelfRestartPlan plan;
    plan.scriptPath = "/nonexistent-folder/SelfRestart.sh";
    plan.workingFolder = "/nonexistent-folder";
    plan.waitFor = getpid();
    plan.commandLine = {"/bin/true"};
    EXPECT_FALSE(StartSelfRestart(plan));
}

// Under a service manager the restart is left to it: the process ends with the agreed code
// and no script is written.
TEST(SelfRestart, ServiceExitCodeInsteadOfAScript) {
    test::TempDir dir;
    ASSERT_EQ(setenv(kRestartExitCodeVariable, "75", 1), 0);
    ProcessControl& process = SystemProcessControl();
    EXPECT_TRUE(process.SelfRestart(dir.path()));
    EXPECT_EQ(process.SelfRestartExitCode(), 75);
    EXPECT_FALSE(std::filesystem::exists(dir / "SelfRestart.sh"));
    unsetenv(kRestartExitCodeVariable);
}

TEST(OwnCommandLine, ProgramFileAndArguments) {
    const std::vector<std::string> commandLine = OwnCommandLine();
    ASSERT_FALSE(commandLine.empty());
    EXPECT_EQ(commandLine[0], std::filesystem::canonical("/proc/self/exe").string());
}

}  // namespace
}  // namespace ferrolin::platform
