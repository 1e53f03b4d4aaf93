#pragma once
// Child processes for tests: a peer server that lives as long as the object, and a
// command that runs to its end with its output captured.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/types.h>

namespace ferrolin::test {

// Starts argv[0] (a path) with its standard output and error appended to logFile, and
// stops it (SIGTERM, then SIGKILL after a few seconds) when destroyed. The child becomes
// a process group of its own, unless ownGroup is false for a program that makes its own
// session (and fails when it already leads a group).
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& logFile,
                 bool ownGroup = true);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // False once the child has ended (it is reaped then).
    bool Running();

private:
    pid_t pid_ = -1;
};

struct CommandResult {
    int exitCode = -1;   // -1 when it did not end normally
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs a program to its end with extra environment variables, capturing both streams.
CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment = {});

// The same, calling duringRun with the child's id once it has started (to send it a
// signal, or to watch what it does); the result is collected after duringRun returns.
CommandResult RunCommandWith(const std::vector<std::string>& argv,
                             const std::map<std::string, std::string>& environment,
                             const std::function<void(pid_t)>& duringRun);

// True when path names an executable file.
bool IsExecutable(const std::string& path);

}  // namespace ferrolin::test
