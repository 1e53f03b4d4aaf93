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

// Whether the program folder is there to be worked in.
bool ProgramFolderExists(const std::string& programDir);

// Why the station's INI cannot be read whole (a pipe, a device, a file too large), or 0.
int32_t IniFileProblem(const std::string& iniFilename);

// The system's text for an error code of the checks above.
std::string ProblemText(int32_t error);

}  // namespace ferrolin
