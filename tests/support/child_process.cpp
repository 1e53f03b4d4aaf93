#include "support/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"

namespace ferrolin::test {

namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Waits for the child for up to timeout; true when it was reaped.
bool ReapWithin(pid_t pid, std::chrono::milliseconds timeout, int* status) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        pid_t r = waitpid(pid, status, WNOHANG);
        if (r == pid || r < 0) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logFile,
                           bool ownGroup) {
    auto args = ArgvPointers(argv);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        int fd = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        if (ownGroup) setpgid(0, 0);
        execv(args[0], args.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0) return;
    int status = 0;
    kill(pid_, SIGTERM);
    if (!ReapWithin(pid_, std::chrono::seconds(5), &status)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
}

bool ChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment) {
    return RunCommandWith(argv, environment, {});
}

CommandResult RunCommandWith(const std::vector<std::string>& argv,
                             const std::map<std::string, std::string>& environment,
                             const std::function<void(pid_t)>& duringRun) {
    TempDir capture;
    const std::string outPath = capture / "stdout";
    const std::string errPath = capture / "stderr";
    auto args = ArgvPointers(argv);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        execv(args[0], args.data());
        _exit(127);
    }
    if (duringRun) duringRun(pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = ReadFile(outPath);
    result.errors = ReadFile(errPath);
    return result;
}

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

}  // namespace ferrolin::test
