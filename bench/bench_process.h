#pragma once
// Whole programs timed as a user starts them: the process is spawned directly (no shell
// in between, so every tool pays the same), its output discarded, and timed from the
// spawn until it has exited. Also: how many system calls a run makes, counted by strace.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace ferrolin::bench {

// The ferrolin-cli to time: FERROLIN_CLI when set (to compare another build), else this
// build's.
inline std::string CliPath() {
    const char* chosen = std::getenv("FERROLIN_CLI");
    return chosen != nullptr ? chosen : FERROLIN_CLI_PATH;
}

// The environment of this process with extra "NAME=value" entries in front.
inline std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> entries(extra);
    for (char** e = environ; *e != nullptr; ++e) entries.emplace_back(*e);
    return entries;
}

// Runs argv and returns its wall time in seconds, or -1 when it could not be started or
// did not exit with 0.
inline double TimeProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& environment = {}) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::vector<std::string> envText = EnvironmentWith(environment);
    std::vector<char*> env;
    for (const std::string& e : envText) env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// The system calls argv makes (all its threads), or -1 without strace.
inline long CountSystemCalls(const std::vector<std::string>& argv,
                             const std::vector<std::string>& environment = {}) {
    if (access("/usr/bin/strace", X_OK) != 0) return -1;
    char pattern[] = "/tmp/ferrolin-strace-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) return -1;
    close(fd);
    std::vector<std::string> traced = {"/usr/bin/strace", "-f", "-c", "-o", pattern};
    traced.insert(traced.end(), argv.begin(), argv.end());
    long calls = -1;
    if (TimeProcess(traced, environment) >= 0) {
        // The summary's last line: "100.00  seconds  usecs  calls  errors  total".
        std::ifstream in(pattern);
        std::string line, last;
        while (std::getline(in, line))
            if (line.find("total") != std::string::npos) last = line;
        std::istringstream fields(last);
        std::vector<std::string> words;
        for (std::string w; fields >> w;) words.push_back(w);
        if (words.size() >= 5) calls = std::atol(words[3].c_str());
    }
    unlink(pattern);
    return calls;
}

}  // namespace ferrolin::bench
