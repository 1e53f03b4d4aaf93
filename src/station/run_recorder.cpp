#include "station/run_recorder.h"

#include "common/datetime_format.h"
#include "common/password_free.h"
#include "common/text.h"
#include "engine/transfer_kinds.h"
#include "platform/computer.h"
#include "station/run_journal.h"
#include "version.h"

namespace ferrolin {

namespace {

JobOutcome OutcomeOf(bool cancelled, const JobTally& tally, uint32_t failedFiles,
                     uint32_t cutShort) {
    if (cancelled) return JobOutcome::Cancelled;
    if (tally.refused) return JobOutcome::Refused;
    if (cutShort > 0) return JobOutcome::CutShort;
    if (failedFiles > 0) return JobOutcome::Failed;
    return JobOutcome::Ok;
}

// The reason a job that did not end ok gives when no step named one.
std::string FallbackReason(const JobRunRecord& job) {
    if (job.failed > 0) return std::to_string(job.failed) + " file(s) failed";
    return std::string("job ") + std::string(JobOutcomeName(job.outcome));
}

}  // namespace

std::string LastOutcomeText(const JobLastOutcome& last) {
    std::string text =
        std::string(JobOutcomeName(last.outcome)) + " at " + LocalMomentText(last.end);
    if (last.error) text += ": " + *last.error;
    return text;
}

std::map<int, JobLastOutcome> LastOutcomeOfEachJob(const std::vector<RunRecord>& records) {
    std::map<int, JobLastOutcome> last;
    for (const RunRecord& record : records) {
        for (const JobRunRecord& job : record.jobs)
            last[job.index] = JobLastOutcome{job.name, job.outcome, record.end, job.error};
    }
    return last;
}

std::string JobKindName(const TransferJob& job) {
    return std::string(ChooseTransferKind(job).Name());
}

RunRecorder::RunRecorder(RunResources& run) : run_(run) {}

int64_t RunRecorder::UnixNow() {
    return LocalDateTimeToUnix(run_.clock().Now());
}

void RunRecorder::LoadHistory() {
    std::vector<RunRecord> records = ReadRunRecords(run_.ProgramDir);
    lastOutcomes_ = LastOutcomeOfEachJob(records);
    if (!records.empty()) lastRun_ = std::move(records.back());
}

void RunRecorder::BeginRun(RunTrigger trigger) {
    current_ = RunRecord{};
    current_.trigger = trigger;
    current_.start = UnixNow();
    current_.host = platform::ComputerName();
    current_.version = FERROLIN_VERSION;
    recording_ = true;
    inJob_ = false;
}

void RunRecorder::BeginJob(int index, const TransferJob& job) {
    if (!recording_) return;
    inJob_ = true;
    job_ = JobRunRecord{};
    job_.index = index;
    job_.name = job.name;
    job_.kind = JobKindName(job);
    job_.source = WithoutPasswords(job.source);
    job_.destination = WithoutPasswords(job.destination);
    run_.Log.Tally = JobTally{};
    failedAtJobStart_ = run_.Log.FailedFiles;
    cutShortAtJobStart_ = run_.Log.JobsCutShort;
    jobStart_ = run_.clock().Now();
}

void RunRecorder::EndJob() {
    if (!recording_ || !inJob_) return;
    inJob_ = false;
    const JobTally& tally = run_.Log.Tally;
    job_.failed = run_.Log.FailedFiles - failedAtJobStart_;
    job_.outcome = OutcomeOf(run_.Copy.Cancel.Cancelled(), tally, job_.failed,
                             run_.Log.JobsCutShort - cutShortAtJobStart_);
    job_.copied = tally.copied;
    job_.same = tally.same;
    job_.deleted = tally.deleted;
    job_.bytes = tally.bytes;
    const TDateTime end = run_.clock().Now();
    job_.seconds = end > jobStart_ ? (end - jobStart_) * 86400.0 : 0.0;
    if (!tally.firstError.empty()) {
        // As the log has it: an address in the text keeps no password.
        job_.error = WithoutPasswords(tally.firstError);
    } else if (job_.outcome != JobOutcome::Ok && job_.outcome != JobOutcome::Cancelled) {
        job_.error = FallbackReason(job_);
    }
    if (job_.outcome != JobOutcome::Ok && job_.outcome != JobOutcome::Cancelled) {
        run_.surfaces().AppendError(TimeToStr(end) + " " + job_.name + ": " +
                                    std::string(JobOutcomeName(job_.outcome)) + ": " + *job_.error);
    }
    current_.jobs.push_back(std::move(job_));
}

const RunRecord& RunRecorder::EndRun() {
    if (inJob_) EndJob();
    current_.end = UnixNow();
    if (run_.Copy.Cancel.Cancelled()) {
        current_.outcome = RunOutcome::Cancelled;
    } else {
        current_.outcome = current_.FailedJobs() > 0 ? RunOutcome::Failed : RunOutcome::Ok;
    }
    recording_ = false;
    // Read back rather than remembered: another process may have run meanwhile.
    const std::optional<RunRecord> previous = LastRunRecord(run_.ProgramDir);
    previousOutcome_ = previous ? std::optional<RunOutcome>(previous->outcome) : std::nullopt;
    if (!AppendRunRecord(run_.ProgramDir, current_))
        run_.surfaces().AppendError("Unable to write the run record " +
                                    RunRecordPath(run_.ProgramDir));
    for (const JobRunRecord& job : current_.jobs)
        lastOutcomes_[job.index] = JobLastOutcome{job.name, job.outcome, current_.end, job.error};
    lastRun_ = current_;
    return *lastRun_;
}

}  // namespace ferrolin
