#include "platform/run_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/errors.h"
#include "platform/fs.h"

namespace ferrolin::platform {

namespace {

// The holder's id in the file, written only when it changes: the automatic mode takes the
// lock every second and must not write the disk every second.
void WriteOwnPid(int fd) {
    const std::string text = std::to_string(::getpid()) + "\n";
    char current[32] = {};
    if (::pread(fd, current, sizeof current - 1, 0) == static_cast<ssize_t>(text.size()) &&
        text == current)
        return;
    if (::ftruncate(fd, 0) == 0) WriteAll(fd, text.data(), text.size());
}

// Whether the kernel's lock table (/proc/locks) has a flock lock of pid on the inode;
// nothing when the table cannot be read. Device numbers are not compared: on layered
// file systems the table and stat(2) may name different devices for one file.
std::optional<bool> FlockHeldBy(pid_t pid, ino_t inode) {
    std::ifstream table("/proc/locks");
    if (!table) return std::nullopt;
    const std::string inodeSuffix = ":" + std::to_string(inode);
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string number, kind, advisory, mode, owner, where;
        if (!(fields >> number >> kind)) continue;
        if (kind == "->") fields >> kind;  // a waiter: "1: -> FLOCK ..."
        if (kind != "FLOCK" || !(fields >> advisory >> mode >> owner >> where)) continue;
        if (owner == std::to_string(pid) && where.size() > inodeSuffix.size() &&
            where.compare(where.size() - inodeSuffix.size(), inodeSuffix.size(), inodeSuffix) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::optional<RunLock> RunLock::TryTake(const std::string& path, bool* busy, int32_t* error) {
    if (busy) *busy = false;
    if (error) *error = 0;
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                       0644));
    struct stat st {};
    if (fd && (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))) {
        fd.reset();
        errno = ERROR_NOT_REGULAR_FILE;
    }
    if (!fd) {
        if (error) *error = errno;
        return std::nullopt;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            if (busy) *busy = true;
        } else if (error) {
            *error = errno;
        }
        return std::nullopt;
    }
    WriteOwnPid(fd.get());
    return RunLock(std::move(fd));
}

std::optional<pid_t> RunLock::Holder(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    char text[32] = {};
    const ssize_t got = ::pread(fd.get(), text, sizeof text - 1, 0);
    if (got <= 0) return std::nullopt;
    pid_t pid = 0;
    const auto parsed = std::from_chars(text, text + got, pid);
    if (parsed.ec != std::errc() || pid <= 0) return std::nullopt;
    if (const std::optional<bool> held = FlockHeldBy(pid, st.st_ino)) {
        if (!*held) return std::nullopt;
        return pid;
    }
    // No lock table to read: the process named in the file is asked whether it lives.
    if (::kill(pid, 0) != 0 && errno == ESRCH) return std::nullopt;
    return pid;
}

}  // namespace ferrolin::platform
