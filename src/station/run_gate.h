#pragma once
// The program folder's run lock: whoever starts a run of the job list (ferrolin-cli run,
// an automatic tick, the window's buttons) holds it for the run, so two processes never
// work on the same folders at once.
#include <optional>
#include <string>

#include "platform/run_lock.h"

namespace ferrolin {

// "Ferrolin.lock" beside Ferrolin.INI.
std::string RunLockPath(const std::string& programDir);

// The lock, or nothing while another process runs (*busy set) or when it cannot be taken.
std::optional<platform::RunLock> TryTakeRunLock(const std::string& programDir,
                                                bool* busy = nullptr, int32_t* error = nullptr);

}  // namespace ferrolin
