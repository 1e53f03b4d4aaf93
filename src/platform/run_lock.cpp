#include "platform/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/errors.h"

namespace ferrolin::platform {

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
    return RunLock(std::move(fd));
}

}  // namespace ferrolin::platform
