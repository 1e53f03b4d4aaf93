#pragma once
// Follows one run of the job list and makes its record: the run driver and the automatic
// mode tell it where the run and each job begin and end; it reads the job's tally and
// the run's failure counters at those points, never the log. At the end of a run the
// record goes to Runs.jsonl and stays here as the station's last run. On the
// user-interface thread.
#include <map>
#include <optional>
#include <string>

#include "common/datetime.h"
#include "config/transfer_job.h"
#include "engine/run_context.h"
#include "station/run_record.h"

namespace ferrolin {

// A job's outcome in the last run that ran it.
struct JobLastOutcome {
    std::string name;
    JobOutcome outcome = JobOutcome::Ok;
    int64_t end = 0;  // end of that run, seconds since 1970 UTC
    std::optional<std::string> error;
};

// "failed at 12.05.2024 14:00:05: <error>" (local time in the operator's form).
std::string LastOutcomeText(const JobLastOutcome& last);

// Each job index's last outcome over the records (oldest first).
std::map<int, JobLastOutcome> LastOutcomeOfEachJob(const std::vector<RunRecord>& records);

// The kind a job's settings make, in the record's words ("folder", "ftp upload", ...).
std::string JobKindName(const TransferJob& job);

class RunRecorder {
  public:
    explicit RunRecorder(RunContext& run);

    // The record of the last run of this program folder and each job's last outcome, as
    // Runs.jsonl holds them (at start-up).
    void LoadHistory();

    void BeginRun(RunTrigger trigger);
    bool Recording() const { return recording_; }
    // Around one job that runs (its check mark set): its tally starts afresh.
    void BeginJob(int index, const TransferJob& job);
    // The job's record. A job that did not end ok has its reason added to the "Errors"
    // list with the time.
    void EndJob();
    // The run's record, appended to Runs.jsonl (a file that cannot be written is said on
    // the "Errors" list; the run's outcome stays what it was).
    const RunRecord& EndRun();

    const std::optional<RunRecord>& LastRun() const { return lastRun_; }
    // The outcome of the run recorded before the one EndRun ended (by any process on
    // this program folder), if there was one.
    std::optional<RunOutcome> PreviousOutcome() const { return previousOutcome_; }
    const std::map<int, JobLastOutcome>& LastOutcomes() const { return lastOutcomes_; }

  private:
    int64_t UnixNow();

    RunContext& run_;
    bool recording_ = false;
    bool inJob_ = false;
    RunRecord current_;
    JobRunRecord job_;
    TDateTime jobStart_ = 0;
    uint32_t failedAtJobStart_ = 0;
    uint32_t cutShortAtJobStart_ = 0;
    std::optional<RunRecord> lastRun_;
    std::optional<RunOutcome> previousOutcome_;
    std::map<int, JobLastOutcome> lastOutcomes_;
};

}  // namespace ferrolin
