#pragma once
// The run's log and counters: the event log every step of a job writes to, the failures
// the faces report at the end of a run of the job list (ferrolin-cli's exit status, the
// run record), and what the running job did. It also knows the program folder, whose own
// files no job may write or delete. One per station; user-interface thread only.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/job_tally.h"
#include "engine/settle_filter.h"

namespace ferrolin {

class RunLog {
  public:
    // logFile: the event log (Ferrolin.log); programDir: the folder of the program's files.
    RunLog(std::string programDir, std::string logFile);
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    const std::string& ProgramDir() const { return programDir_; }
    const std::string& LogFile() const { return logFile_; }

    // One line of the event log.
    void Write(std::string_view line) const;
    // A problem of the running job: logged, and kept as the job's first error when it is.
    void Failure(std::string_view line);

    // Files that could not be transferred or deleted, and jobs whose file loop was stopped
    // by something other than Cancel, in the current run of the job list.
    uint32_t FailedFiles = 0;
    uint32_t JobsCutShort = 0;
    // What the running job did; the run driver starts it afresh for each job.
    JobTally Tally;
    // The source files held back as still being written that the log has named.
    SettlingNotes Settling;

  private:
    const std::string programDir_;
    const std::string logFile_;
};

}  // namespace ferrolin
