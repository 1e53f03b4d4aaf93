#include "station/run_gate.h"

#include "platform/path.h"

namespace ferrolin {

std::string RunLockPath(const std::string& programDir) {
    return platform::JoinPath(programDir, "Ferrolin.lock");
}

std::optional<platform::RunLock> TryTakeRunLock(const std::string& programDir, bool* busy,
                                                int32_t* error) {
    return platform::RunLock::TryTake(RunLockPath(programDir), busy, error);
}

}  // namespace ferrolin
