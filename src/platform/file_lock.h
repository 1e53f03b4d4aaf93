#pragma once
// Advisory exclusive locks (flock) that stand in for "deny write" sharing: a writer holds
// the lock while it writes, a second writer waits briefly for it, and a probe can tell
// that another process is writing.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace ferrolin::platform {

class LockedFile {
  public:
    // Opens path with the given open(2) flags (O_CREAT uses mode 0666 less the umask) and
    // takes an exclusive lock, waiting at most `wait` for another holder to let go.
    // The lock is taken on the file that is at the path when the call returns: if the
    // file was renamed or replaced while waiting, the new one is opened and locked.
    // On failure returns nothing and sets *error (errno value, ERROR_SHARING_VIOLATION
    // when the wait ran out, ERROR_SHARE_UNREACHABLE for a share path).
    static std::optional<LockedFile> Open(const std::string& path, int flags,
                                          std::chrono::milliseconds wait, int32_t* error = nullptr);

    int fd() const { return fd_.get(); }

    // Size of the open file, or -1.
    int64_t Size() const;
    // The file's last byte, or -1 when it is empty or cannot be read.
    int LastByte() const;

  private:
    explicit LockedFile(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;  // closing the descriptor releases the lock
};

// True when another open file holds an exclusive lock on path right now.
bool IsLockedByOther(const std::string& path);

}  // namespace ferrolin::platform
