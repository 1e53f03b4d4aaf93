#pragma once
// One run at a time per program folder: an exclusive advisory lock (flock) on a lock
// file, held by the object and released when it goes (or when the process ends, however
// it ends, so a crashed run never leaves a stale lock behind). The holder writes its
// process id into the file, so others can say who runs.
#include <cstdint>
#include <optional>
#include <string>

#include <sys/types.h>

#include "platform/unique_fd.h"

namespace ferrolin::platform {

class RunLock {
public:
    // Takes the lock on the file at path (made when missing; a link there is not followed)
    // without waiting. Nothing when another process holds it (*busy set) or the file
    // cannot be opened (*error: the errno value).
    static std::optional<RunLock> TryTake(const std::string& path, bool* busy = nullptr,
                                          int32_t* error = nullptr);

    // The process that holds the lock on the file at path now, or nothing when none does
    // (the lock is looked up in the kernel's lock table, not taken, so asking never gets
    // in the way of a run that starts at that moment).
    static std::optional<pid_t> Holder(const std::string& path);

private:
    explicit RunLock(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

}  // namespace ferrolin::platform
