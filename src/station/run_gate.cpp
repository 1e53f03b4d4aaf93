#include "station/run_gate.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/whole_file.h"

namespace ferrolin {

std::string RunLockPath(const std::string& programDir) {
    return platform::JoinPath(programDir, "Ferrolin.lock");
}

std::optional<platform::RunLock> TryTakeRunLock(const std::string& programDir, bool* busy,
                                                int32_t* error) {
    return platform::RunLock::TryTake(RunLockPath(programDir), busy, error);
}

bool ProgramFolderExists(const std::string& programDir) {
    return !programDir.empty() && platform::DirectoryExists(programDir);
}

int32_t IniFileProblem(const std::string& iniFilename) {
    return platform::WholeFileProblem(iniFilename);
}

std::string ProblemText(int32_t error) { return platform::ErrorMessage(error); }

}  // namespace ferrolin
