#pragma once
// The record of one run of the job list: when it ran, why, how it ended, and what each
// job it ran did. One record is one JSON object on one line of Runs.jsonl; the status
// command, the alarms and the service notifications read these records, never the log.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job_tally.h"

namespace ferrolin {

struct JobRunRecord {
    int index = 0;  // 0-based position in the job list
    std::string name;
    std::string kind;         // "folder", "list file", "ftp download", ...
    std::string source;       // as the job stores it, its password removed
    std::string destination;  // likewise
    JobOutcome outcome = JobOutcome::Ok;
    uint32_t copied = 0;
    uint32_t same = 0;
    uint32_t failed = 0;
    uint32_t deleted = 0;
    int64_t bytes = 0;
    double seconds = 0;
    std::optional<std::string> error;  // the job's first problem
};

struct RunRecord {
    int64_t start = 0;  // seconds since 1970, UTC
    int64_t end = 0;
    RunTrigger trigger = RunTrigger::Manual;
    RunOutcome outcome = RunOutcome::Ok;
    std::string host;
    std::string version;
    std::vector<JobRunRecord> jobs;

    // The jobs whose outcome is not ok.
    size_t FailedJobs() const;
};

// The words the record uses: "manual", "manual-quiet", "auto", "scan", "cli"; "ok",
// "failed", "cancelled"; and for jobs also "cut short" and "refused".
std::string_view TriggerName(RunTrigger trigger);
std::string_view RunOutcomeName(RunOutcome outcome);
std::string_view JobOutcomeName(JobOutcome outcome);
std::optional<RunTrigger> TriggerFromName(std::string_view name);
std::optional<RunOutcome> RunOutcomeFromName(std::string_view name);
std::optional<JobOutcome> JobOutcomeFromName(std::string_view name);

// A record's moment as the operator reads it: local time in the program's date and time
// form ("07.12.2026 10:00:05").
std::string LocalMomentText(int64_t unixSeconds);

// One line of JSON, without the line end.
std::string RunRecordJson(const RunRecord& record);
// A line of Runs.jsonl back into a record; nothing for a line that is cut off, garbled,
// or lacks a field the record must have (start, end, trigger, outcome, jobs).
std::optional<RunRecord> ParseRunRecord(std::string_view line);

}  // namespace ferrolin
