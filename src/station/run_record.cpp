#include "station/run_record.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "common/json.h"
#include "common/utc_time.h"

namespace ferrolin {

namespace {

template <typename Enum, size_t N>
std::optional<Enum> FromName(const std::array<std::pair<Enum, std::string_view>, N>& table,
                             std::string_view name) {
    for (const auto& [value, text] : table)
        if (text == name) return value;
    return std::nullopt;
}

template <typename Enum, size_t N>
std::string_view NameOf(const std::array<std::pair<Enum, std::string_view>, N>& table, Enum value) {
    for (const auto& [entry, text] : table)
        if (entry == value) return text;
    return table[0].second;
}

constexpr std::array<std::pair<RunTrigger, std::string_view>, 5> kTriggers = {{
    {RunTrigger::Manual, "manual"},
    {RunTrigger::ManualQuiet, "manual-quiet"},
    {RunTrigger::Auto, "auto"},
    {RunTrigger::Scan, "scan"},
    {RunTrigger::Cli, "cli"},
}};

constexpr std::array<std::pair<RunOutcome, std::string_view>, 3> kRunOutcomes = {{
    {RunOutcome::Ok, "ok"},
    {RunOutcome::Failed, "failed"},
    {RunOutcome::Cancelled, "cancelled"},
}};

constexpr std::array<std::pair<JobOutcome, std::string_view>, 5> kJobOutcomes = {{
    {JobOutcome::Ok, "ok"},
    {JobOutcome::Failed, "failed"},
    {JobOutcome::CutShort, "cut short"},
    {JobOutcome::Cancelled, "cancelled"},
    {JobOutcome::Refused, "refused"},
}};

void WriteJob(JsonWriter& json, const JobRunRecord& job) {
    json.BeginObject();
    json.Key("index").Integer(job.index);
    json.Key("name").String(job.name);
    json.Key("kind").String(job.kind);
    json.Key("source").String(job.source);
    json.Key("destination").String(job.destination);
    json.Key("outcome").String(JobOutcomeName(job.outcome));
    json.Key("copied").Integer(job.copied);
    json.Key("same").Integer(job.same);
    json.Key("failed").Integer(job.failed);
    json.Key("deleted").Integer(job.deleted);
    json.Key("bytes").Integer(job.bytes);
    json.Key("seconds").Number(job.seconds);
    json.Key("error").OptionalString(job.error);
    json.EndObject();
}

std::string StringOr(const JsonValue& object, std::string_view key) {
    const JsonValue* value = object.Find(key);
    const std::string* text = value ? value->AsString() : nullptr;
    return text ? *text : std::string();
}

// A count that must be a whole number within the field's range; out of range reads as 0.
template <typename Int>
Int CountOr0(const JsonValue& object, std::string_view key) {
    const JsonValue* value = object.Find(key);
    const std::optional<int64_t> number = value ? value->AsInteger() : std::nullopt;
    if (!number || *number < 0 ||
        static_cast<uint64_t>(*number) > static_cast<uint64_t>(std::numeric_limits<Int>::max()))
        return 0;
    return static_cast<Int>(*number);
}

std::optional<JobRunRecord> ParseJob(const JsonValue& object) {
    if (object.type() != JsonValue::Type::Object) return std::nullopt;
    JobRunRecord job;
    const JsonValue* outcome = object.Find("outcome");
    const std::string* outcomeText = outcome ? outcome->AsString() : nullptr;
    const std::optional<JobOutcome> parsed =
        outcomeText ? JobOutcomeFromName(*outcomeText) : std::nullopt;
    if (!parsed) return std::nullopt;
    job.outcome = *parsed;
    job.index = CountOr0<int>(object, "index");
    job.name = StringOr(object, "name");
    job.kind = StringOr(object, "kind");
    job.source = StringOr(object, "source");
    job.destination = StringOr(object, "destination");
    job.copied = CountOr0<uint32_t>(object, "copied");
    job.same = CountOr0<uint32_t>(object, "same");
    job.failed = CountOr0<uint32_t>(object, "failed");
    job.deleted = CountOr0<uint32_t>(object, "deleted");
    job.bytes = CountOr0<int64_t>(object, "bytes");
    if (const JsonValue* seconds = object.Find("seconds"))
        job.seconds = std::max(0.0, seconds->AsNumber().value_or(0));
    if (const JsonValue* error = object.Find("error"); error && error->AsString())
        job.error = *error->AsString();
    return job;
}

std::optional<int64_t> Moment(const JsonValue& object, std::string_view key) {
    const JsonValue* value = object.Find(key);
    const std::string* text = value ? value->AsString() : nullptr;
    return text ? ParseUtcIso(*text) : std::nullopt;
}

}  // namespace

size_t RunRecord::FailedJobs() const {
    return static_cast<size_t>(std::count_if(jobs.begin(), jobs.end(), [](const JobRunRecord& job) {
        return job.outcome != JobOutcome::Ok;
    }));
}

std::string_view TriggerName(RunTrigger trigger) {
    return NameOf(kTriggers, trigger);
}
std::string_view RunOutcomeName(RunOutcome outcome) {
    return NameOf(kRunOutcomes, outcome);
}
std::string_view JobOutcomeName(JobOutcome outcome) {
    return NameOf(kJobOutcomes, outcome);
}
std::optional<RunTrigger> TriggerFromName(std::string_view name) {
    return FromName(kTriggers, name);
}
std::optional<RunOutcome> RunOutcomeFromName(std::string_view name) {
    return FromName(kRunOutcomes, name);
}
std::optional<JobOutcome> JobOutcomeFromName(std::string_view name) {
    return FromName(kJobOutcomes, name);
}

std::string LocalMomentText(int64_t unixSeconds) {
    return DateTimeToStr(UnixToLocalDateTime(unixSeconds));
}

std::string RunRecordJson(const RunRecord& record) {
    JsonWriter json;
    json.BeginObject();
    json.Key("start").String(FormatUtcIso(record.start));
    json.Key("end").String(FormatUtcIso(record.end));
    json.Key("trigger").String(TriggerName(record.trigger));
    json.Key("outcome").String(RunOutcomeName(record.outcome));
    json.Key("host").String(record.host);
    json.Key("version").String(record.version);
    json.Key("jobs").BeginArray();
    for (const JobRunRecord& job : record.jobs) WriteJob(json, job);
    json.EndArray();
    json.EndObject();
    return json.Text();
}

std::optional<RunRecord> ParseRunRecord(std::string_view line) {
    const std::optional<JsonValue> document = JsonValue::Parse(line);
    if (!document || document->type() != JsonValue::Type::Object) return std::nullopt;
    RunRecord record;
    const std::optional<int64_t> start = Moment(*document, "start");
    const std::optional<int64_t> end = Moment(*document, "end");
    const std::optional<RunTrigger> trigger = TriggerFromName(StringOr(*document, "trigger"));
    const std::optional<RunOutcome> outcome = RunOutcomeFromName(StringOr(*document, "outcome"));
    const JsonValue* jobs = document->Find("jobs");
    const std::vector<JsonValue>* items = jobs ? jobs->AsArray() : nullptr;
    if (!start || !end || !trigger || !outcome || items == nullptr) return std::nullopt;
    record.start = *start;
    record.end = *end;
    record.trigger = *trigger;
    record.outcome = *outcome;
    record.host = StringOr(*document, "host");
    record.version = StringOr(*document, "version");
    for (const JsonValue& item : *items) {
        std::optional<JobRunRecord> job = ParseJob(item);
        if (!job) return std::nullopt;
        record.jobs.push_back(std::move(*job));
    }
    return record;
}

}  // namespace ferrolin
