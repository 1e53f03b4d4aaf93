#include "station/alarm_policy.h"

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "common/json.h"
#include "common/utc_time.h"
#include "platform/path.h"
#include "platform/whole_file.h"

namespace ferrolin {

namespace {

constexpr char kAlarmStateFile[] = "Alarm.json";

std::string Summary(const RunRecord& record) {
    uint64_t copied = 0, same = 0, failed = 0, deleted = 0;
    int64_t bytes = 0;
    for (const JobRunRecord& job : record.jobs) {
        copied += job.copied;
        same += job.same;
        failed += job.failed;
        deleted += job.deleted;
        bytes += job.bytes;
    }
    return "Run (" + std::string(TriggerName(record.trigger)) + ") from " +
           LocalMomentText(record.start) + " to " + LocalMomentText(record.end) + ": " +
           std::string(RunOutcomeName(record.outcome)) + "\n" + std::to_string(record.jobs.size()) +
           " jobs, " + std::to_string(record.FailedJobs()) + " not ok; " + std::to_string(copied) +
           " files copied, " + std::to_string(same) + " the same, " + std::to_string(failed) +
           " failed, " + std::to_string(deleted) + " deleted; " + std::to_string(bytes) +
           " bytes\n";
}

}  // namespace

AlarmKind DecideAlarm(const AlarmSettings& settings, RunOutcome outcome,
                      std::optional<RunOutcome> previous, std::optional<int64_t> lastFailureAlarm,
                      int64_t now) {
    if (outcome != RunOutcome::Ok) {
        const int64_t quiet = static_cast<int64_t>(settings.quietMinutes) * 60;
        // A clock set back does not make the last alarm lie in the future for long.
        if (lastFailureAlarm && now >= *lastFailureAlarm && now - *lastFailureAlarm < quiet)
            return AlarmKind::None;
        return AlarmKind::Failure;
    }
    const bool recovered = previous && *previous != RunOutcome::Ok;
    switch (settings.on) {
        case AlarmWhen::Failure:
            return AlarmKind::None;
        case AlarmWhen::Change:
            return recovered ? AlarmKind::Recovered : AlarmKind::None;
        case AlarmWhen::Always:
            return recovered ? AlarmKind::Recovered : AlarmKind::Report;
    }
    return AlarmKind::None;
}

std::string_view AlarmKindName(AlarmKind kind) {
    switch (kind) {
        case AlarmKind::Failure:
            return "failure";
        case AlarmKind::Recovered:
            return "recovered";
        case AlarmKind::Report:
            return "report";
        case AlarmKind::Test:
            return "test";
        case AlarmKind::None:
            break;
    }
    return "none";
}

std::string AlarmSubject(AlarmKind kind, const RunRecord& record) {
    std::string subject = "Ferrolin on " + record.host + ": ";
    switch (kind) {
        case AlarmKind::Test:
            return subject + "test alarm";
        case AlarmKind::Recovered:
            return subject + "run ok, recovered";
        case AlarmKind::Report:
            return subject + "run ok, " + std::to_string(record.jobs.size()) + " jobs";
        default:
            return subject + "run " + std::string(RunOutcomeName(record.outcome)) + ", " +
                   std::to_string(record.FailedJobs()) + " of " +
                   std::to_string(record.jobs.size()) + " jobs";
    }
}

std::string AlarmBody(AlarmKind kind, const RunRecord& record) {
    std::string body;
    if (kind == AlarmKind::Test) {
        body += "This is a test of the alarm of Ferrolin on " + record.host + ".\n";
        if (record.start == 0) return body + "No run is recorded yet.\n";
        body += "The last recorded run:\n\n";
    }
    if (kind == AlarmKind::Recovered) body += "The run ended ok after one that did not.\n\n";
    for (const JobRunRecord& job : record.jobs) {
        if (job.outcome == JobOutcome::Ok) continue;
        body += "Job " + std::to_string(job.index + 1) + " \"" + job.name + "\" (" + job.kind +
                ", " + job.source + " -> " + job.destination +
                "): " + std::string(JobOutcomeName(job.outcome));
        if (job.error) body += ": " + *job.error;
        body += "\n";
    }
    if (record.FailedJobs() > 0) body += "\n";
    return body + Summary(record);
}

std::string AlarmStatePath(const std::string& programDir) {
    return platform::JoinPath(programDir, kAlarmStateFile);
}

std::optional<int64_t> ReadLastFailureAlarm(const std::string& programDir) {
    std::string content;
    if (platform::ReadWholeFile(AlarmStatePath(programDir), content) != 0) return std::nullopt;
    const std::optional<JsonValue> state = JsonValue::Parse(content);
    const JsonValue* last = state ? state->Find("lastFailureAlarm") : nullptr;
    const std::string* text = last ? last->AsString() : nullptr;
    return text ? ParseUtcIso(*text) : std::nullopt;
}

void WriteLastFailureAlarm(const std::string& programDir, std::optional<int64_t> moment) {
    JsonWriter json;
    json.BeginObject().Key("lastFailureAlarm");
    if (moment) {
        json.String(FormatUtcIso(*moment));
    } else {
        json.Null();
    }
    json.EndObject();
    // A memory that cannot be written only means the next failure alarms again.
    platform::ReplaceWholeFile(AlarmStatePath(programDir), json.Text() + "\n");
}

}  // namespace ferrolin
