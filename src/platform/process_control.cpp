#include "platform/process_control.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/spawn_setup.h"

extern char** environ;

namespace ferrolin::platform {
namespace {

constexpr int kCapSysBoot = 22;

// Quotes a text for the POSIX shell: 'text' with every ' written as '\''.
std::string ShellQuote(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a program with its arguments, waits for it and returns its exit status (-1 when it
// could not be started or ended by a signal).
int RunAndWait(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SystemProcess final : public ProcessControl {
public:
    bool SelfRestart(const std::string& programDir) override {
        if (const char* code = std::getenv(kRestartExitCodeVariable); code && *code) {
            char* end = nullptr;
            const long value = std::strtol(code, &end, 10);
            if (*end == '\0' && value > 0 && value < 256) {
                exitCode_ = static_cast<int>(value);
                return true;
            }
        }
        exitCode_ = 0;
        SelfRestartPlan plan;
        plan.scriptPath = programDir + "/SelfRestart.sh";
        plan.workingFolder = programDir;
        plan.waitFor = getpid();
        plan.commandLine = OwnCommandLine();
        if (plan.commandLine.empty()) return false;
        return StartSelfRestart(plan);
    }

    int SelfRestartExitCode() const override { return exitCode_; }

    bool EnableShutdownPrivilege() override {
        // The effective capability set decides whether a reboot request will be honoured.
        std::istringstream status(ReadWholeFile("/proc/self/status"));
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("CapEff:", 0) == 0) {
                const unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
                return (caps >> kCapSysBoot) & 1ULL;
            }
        }
        return false;
    }

    bool RequestReboot() override {
        // Ignore inhibitors: the restart must not wait for an operator.
        if (RunAndWait({"systemctl", "reboot", "--ignore-inhibitors"}) == 0) return true;
        return RunAndWait({"reboot"}) == 0;
    }

    void EndProcess(int exitCode) override {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    }

private:
    int exitCode_ = 0;
};

}  // namespace

ProcessControl& SystemProcessControl() {
    static SystemProcess process;
    return process;
}

std::string SelfRestartScript(const SelfRestartPlan& plan) {
    const std::string pid = std::to_string(plan.waitFor);
    std::string script;
    script += "#!/bin/sh\n";
    script += "# Ferrolin self-restart: waits for the old process to end, starts the program\n";
    script += "# again and deletes this file.\n";
    // A process that has ended but was not yet collected by its parent counts as ended.
    script += "alive() { s=$(sed -n 's/.*) \\(.\\).*/\\1/p' /proc/" + pid +
              "/stat 2>/dev/null) && [ -n \"$s\" ] && [ \"$s\" != Z ]; }\n";
    script += "while alive; do sleep 0.2; done\n";
    // Appended piece by piece: gcc 12 at -O2 and above warns falsely (-Wrestrict) about
    // `"text" + std::string&&`, which inserts at the front of a temporary.
    script += "cd ";
    script += ShellQuote(plan.workingFolder);
    script += " || exit 1\n";
    script += "rm -f -- ";
    script += ShellQuote(plan.scriptPath);
    script += "\n";
    script += "exec";
    for (const std::string& arg : plan.commandLine) {
        script += ' ';
        script += ShellQuote(arg);
    }
    script += " </dev/null\n";
    return script;
}

bool StartSelfRestart(const SelfRestartPlan& plan) {
    {
        std::ofstream out(plan.scriptPath, std::ios::binary | std::ios::trunc);
        out << SelfRestartScript(plan);
        out.close();
        if (!out) return false;
    }
    SpawnSetup setup;
    // The program may block signals it waits for (the command line's SIGTERM handling);
    // the restarted program must start with the ordinary mask and dispositions.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(setup.attr(), &none);
    posix_spawnattr_setsigdefault(setup.attr(), &defaults);
    posix_spawnattr_setflags(setup.attr(),
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(setup.actions(), 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(setup.actions(), plan.workingFolder.c_str());
    std::string shell = "/bin/sh";
    std::string script = plan.scriptPath;
    char* argv[] = {shell.data(), script.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", setup.actions(), setup.attr(), argv, environ) != 0) {
        std::remove(plan.scriptPath.c_str());
        return false;
    }
    return true;
}

std::vector<std::string> OwnCommandLine() {
    std::vector<std::string> commandLine;
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return commandLine;
    std::string exe(buffer, static_cast<size_t>(n));
    // The program file replaced while running (an update): start the new one.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) {
        exe.resize(exe.size() - kDeleted.size());
    }
    commandLine.push_back(exe);

    const std::string raw = ReadWholeFile("/proc/self/cmdline");
    size_t begin = raw.find('\0');  // skip argv[0]: the program file stands in for it
    while (begin != std::string::npos && begin + 1 < raw.size()) {
        const size_t end = raw.find('\0', begin + 1);
        commandLine.push_back(raw.substr(begin + 1, end == std::string::npos ? end : end - begin - 1));
        begin = end;
    }
    return commandLine;
}

}  // namespace ferrolin::platform
