#include "platform/program_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/spawn_setup.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace ferrolin::platform {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

// Writes what the program takes of input without blocking; true once all is written or
// the program closed its end.
bool FeedInput(int fd, std::string_view input, size_t& written) {
    while (written < input.size()) {
        const ssize_t n =
            ::send(fd, input.data() + written, input.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            written += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return false;
        } else {
            return true;  // EPIPE and the like: the program does not want the rest
        }
    }
    return true;
}

// The program's standard input comes from stdinFd, its output goes nowhere; it runs in a
// process group of its own (so a time-out ends all it started) with no signal blocked.
void PrepareSpawn(SpawnSetup& setup, int stdinFd) {
    posix_spawn_file_actions_adddup2(setup.actions(), stdinFd, STDIN_FILENO);
    posix_spawn_file_actions_addopen(setup.actions(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(setup.actions(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_setpgroup(setup.attr(), 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(setup.attr(), &none);
    posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
}

// The words as the null-ended array exec takes; they must outlive it.
std::vector<char*> PointersTo(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

// This process's environment with the extra entries after it; both must outlive the
// array.
std::vector<char*> EnvironmentWith(std::vector<std::string>& extra) {
    std::vector<char*> pointers;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        pointers.push_back(*entry);
    for (std::string& entry : extra) pointers.push_back(entry.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Feeds input to the running program and waits for its end, killing its process group
// when timeout runs out.
void AwaitProgram(pid_t pid, UniqueFd& ours, std::string_view input,
                  std::chrono::milliseconds timeout, const std::function<void()>& waiting,
                  ProgramOutcome& outcome) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    size_t written = 0;
    bool inputDone = false;
    int status = 0;
    while (true) {
        if (!inputDone && FeedInput(ours.get(), input, written)) {
            inputDone = true;
            ours.reset();  // the end of the input
        }
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid) break;
        if (ended < 0 && errno != EINTR) return;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            outcome.timedOut = true;
            return;
        }
        if (waiting) waiting();
        std::this_thread::sleep_for(kPollInterval);
    }
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
}

}  // namespace

ProgramOutcome RunProgram(const std::vector<std::string>& argv, std::string_view input,
                          const std::vector<std::string>& extraEnvironment,
                          std::chrono::milliseconds timeout, const std::function<void()>& waiting) {
    ProgramOutcome outcome;
    if (argv.empty() || argv[0].empty()) {
        outcome.startError = ENOENT;
        return outcome;
    }
    // A socket pair rather than a pipe: sending with MSG_NOSIGNAL cannot raise SIGPIPE in
    // this process when the program ends without reading.
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        outcome.startError = errno;
        return outcome;
    }
    UniqueFd ours(pair[0]);
    UniqueFd theirs(pair[1]);

    SpawnSetup setup;
    PrepareSpawn(setup, theirs.get());
    std::vector<std::string> arguments = argv;
    const std::vector<char*> argvPointers = PointersTo(arguments);
    std::vector<std::string> environment = extraEnvironment;
    const std::vector<char*> envPointers = EnvironmentWith(environment);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argvPointers[0], setup.actions(), setup.attr(),
                                     argvPointers.data(), envPointers.data());
    theirs.reset();
    if (spawned != 0) {
        outcome.startError = spawned;
        return outcome;
    }
    outcome.started = true;
    AwaitProgram(pid, ours, input, timeout, waiting, outcome);
    return outcome;
}

std::optional<std::string> ProgramOutput(const std::vector<std::string>& argv,
                                         std::chrono::milliseconds timeout, size_t maxBytes) {
    if (argv.empty()) return std::nullopt;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return std::nullopt;
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(setup.actions(), writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(setup.actions(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_setpgroup(setup.attr(), 0);
    posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETPGROUP);
    std::vector<std::string> arguments = argv;
    const std::vector<char*> pointers = PointersTo(arguments);
    pid_t pid = 0;
    if (posix_spawnp(&pid, pointers[0], setup.actions(), setup.attr(), pointers.data(), environ) !=
        0)
        return std::nullopt;
    writeEnd.reset();
    ::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);

    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    bool ended = false;
    while (!ended) {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(readEnd.get(), buffer, sizeof buffer)) > 0)
            if (output.size() < maxBytes) output.append(buffer, static_cast<size_t>(n));
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            ended = true;
        } else if (done < 0 && errno != EINTR) {
            return std::nullopt;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return std::nullopt;
        } else {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(readEnd.get(), buffer, sizeof buffer)) > 0)
        if (output.size() < maxBytes) output.append(buffer, static_cast<size_t>(n));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    if (output.size() > maxBytes) output.resize(maxBytes);
    return output;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace ferrolin::platform
