#include "engine/run_log.h"

#include <utility>

#include "common/log.h"

namespace ferrolin {

RunLog::RunLog(std::string programDir, std::string logFile)
    : programDir_(std::move(programDir)), logFile_(std::move(logFile)) {}

void RunLog::Write(std::string_view line) const {
    WriteLog(0, logFile_, line);
}

void RunLog::Failure(std::string_view line) {
    Write(line);
    Tally.NoteError(line);
}

}  // namespace ferrolin
