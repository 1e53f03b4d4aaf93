#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Polls for the lock until the deadline; flock has no timed wait of its own.
bool LockUntil(int fd, Clock::time_point deadline) {
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (Clock::now() >= deadline) {
            errno = ERROR_SHARING_VIOLATION;
            return false;
        }
        std::this_thread::sleep_for(pause);
        if (pause < std::chrono::milliseconds(8)) pause *= 2;
    }
}

// Whether the open descriptor is still the file found under path.
bool StillAtPath(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    if (::fstat(fd, &open) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

std::optional<LockedFile> LockedFile::Open(const std::string& path, int flags,
                                           std::chrono::milliseconds wait, int32_t* error) {
    auto fail = [error](int32_t code) -> std::optional<LockedFile> {
        if (error != nullptr) *error = code;
        return std::nullopt;
    };
    if (IsSharePath(path)) return fail(ERROR_SHARE_UNREACHABLE);
    if (path.empty()) return fail(ENOENT);

    const auto deadline = Clock::now() + wait;
    for (;;) {
        UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC, 0666));
        if (!fd) return fail(errno);
        if (!LockUntil(fd.get(), deadline)) return fail(errno);
        // Another writer may have rotated or replaced the file while we waited; a line
        // written to the renamed file would land in the wrong generation.
        if (StillAtPath(fd.get(), path)) return LockedFile(std::move(fd));
        if (Clock::now() >= deadline) return fail(ERROR_SHARING_VIOLATION);
    }
}

int64_t LockedFile::Size() const {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

int LockedFile::LastByte() const {
    const int64_t size = Size();
    unsigned char last = 0;
    if (size <= 0 || ::pread(fd_.get(), &last, 1, size - 1) != 1) return -1;
    return last;
}

bool IsLockedByOther(const std::string& path) {
    if (IsSharePath(path)) return false;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return false;
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return false;  // released with fd
    return errno == EWOULDBLOCK;
}

}  // namespace ferrolin::platform
