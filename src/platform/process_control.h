#pragma once
// Ending, restarting the program and restarting the computer. The program reaches these
// only through ProcessControl so tests can put a fake in place: no test ever restarts
// anything real.
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ferrolin::platform {

class ProcessControl {
public:
    virtual ~ProcessControl() = default;

    // Starts a helper script in programDir that waits for this process to end, starts the
    // program again with the same command line and deletes itself. True when the script was
    // started (or, under a service manager that restarts the program itself, when the
    // restart is left to it).
    virtual bool SelfRestart(const std::string& programDir) = 0;
    // The exit code this process must end with after a successful SelfRestart.
    virtual int SelfRestartExitCode() const = 0;

    // Whether this process may restart the computer.
    virtual bool EnableShutdownPrivilege() = 0;
    // Asks the system to restart now, closing programs without asking. True when the
    // request was accepted.
    virtual bool RequestReboot() = 0;

    // Ends the process at once with exitCode (no close handling).
    virtual void EndProcess(int exitCode) = 0;
};

// The real thing.
ProcessControl& SystemProcessControl();

// Environment variable a service unit sets to a number: the self-restart then ends the
// process with that exit code and leaves the restart to the service manager, because a
// helper script left behind in the service's process group would be stopped with it.
inline constexpr const char* kRestartExitCodeVariable = "FERROLIN_RESTART_EXIT_CODE";

// The pieces of the self-restart, open for tests with a harmless program.
struct SelfRestartPlan {
    std::string scriptPath;                // <programDir>/SelfRestart.sh
    std::string workingFolder;             // the program folder
    pid_t waitFor = 0;                     // the process that must end first
    std::vector<std::string> commandLine;  // program file and its arguments
};

// The script's text: wait for waitFor to end, start commandLine in workingFolder, delete
// the script.
std::string SelfRestartScript(const SelfRestartPlan& plan);
// Writes the script and starts it in a session of its own. True when it runs.
bool StartSelfRestart(const SelfRestartPlan& plan);
// This process's program file and arguments (from /proc/self).
std::vector<std::string> OwnCommandLine();

}  // namespace ferrolin::platform
