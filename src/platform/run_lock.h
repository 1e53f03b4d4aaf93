#pragma once
// One run at a time per program folder: an exclusive advisory lock (flock) on a lock
// file, held by the object and released when it goes (or when the process ends, however
// it ends, so a crashed run never leaves a stale lock behind).
#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace ferrolin::platform {

class RunLock {
public:
    // Takes the lock on the file at path (made when missing; a link there is not followed)
    // without waiting. Nothing when another process holds it (*busy set) or the file
    // cannot be opened (*error: the errno value).
    static std::optional<RunLock> TryTake(const std::string& path, bool* busy = nullptr,
                                          int32_t* error = nullptr);

private:
    explicit RunLock(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

}  // namespace ferrolin::platform
