#include "station/station_status.h"

#include "common/datetime_format.h"
#include "common/json.h"
#include "common/utc_time.h"
#include "schedule/auto_mode.h"
#include "station/run_gate.h"
#include "station/run_journal.h"
#include "station/station_config.h"

namespace ferrolin {

TDateTime ComputeNextStart(Station& station, std::vector<SendTimeProblem>* problems) {
    const TDateTime now = station.clock().Now();
    station.SendTime.SelectDay(WeekdayIndexOf(now), station.WeekdayStore(), station.surfaces());
    return NextSendTime(SendTimeSettingsOf(station.Options), station.SendTime.LinesForSchedule(),
                        now, problems);
}

StationStatus ReadStationStatus(Station& station) {
    ReadConfig(station);
    StationStatus status;
    status.runningPid = platform::RunLock::Holder(RunLockPath(station.ProgramDir));
    const std::vector<RunRecord> records = ReadRunRecords(station.ProgramDir);
    if (!records.empty()) status.lastRun = records.back();
    const std::map<int, JobLastOutcome> last = LastOutcomeOfEachJob(records);
    for (size_t n = 0; n < station.Jobs.size(); ++n) {
        JobStatus job;
        job.index = static_cast<int>(n);
        job.name = station.Jobs[n].name;
        job.active = station.Jobs[n].checked;
        // A record of another job that stood at this place before does not count.
        if (const auto found = last.find(job.index);
            found != last.end() && found->second.name == job.name)
            job.last = found->second;
        status.jobs.push_back(std::move(job));
    }
    status.autoOn = station.Options.autoMode;
    status.nextStart = ComputeNextStart(station);
    return status;
}

int StatusExitCode(const StationStatus& status) {
    return status.lastRun && status.lastRun->outcome != RunOutcome::Ok ? 1 : 0;
}

std::string StatusText(const StationStatus& status) {
    std::string text = "Run in progress: ";
    text += status.runningPid ? "yes, process " + std::to_string(*status.runningPid) : "no";
    text += "\nLast run: ";
    if (const std::optional<RunRecord>& run = status.lastRun) {
        text += std::string(RunOutcomeName(run->outcome)) + ", ended " + LocalMomentText(run->end) +
                " (" + std::string(TriggerName(run->trigger)) + "), " +
                std::to_string(run->FailedJobs()) + " of " + std::to_string(run->jobs.size()) +
                " jobs not ok";
    } else {
        text += "none recorded";
    }
    text += "\nNext start: " + DateTimeToStr(status.nextStart);
    if (!status.autoOn) text += " (automatic mode is off)";
    text += "\nJobs:\n";
    for (const JobStatus& job : status.jobs) {
        text += "  " + std::to_string(job.index + 1) + " " + job.name;
        if (!job.active) text += " [not checked]";
        text += ": ";
        if (!job.last) {
            text += "no run recorded\n";
            continue;
        }
        text += LastOutcomeText(*job.last) + "\n";
    }
    return text;
}

std::string StatusJson(const StationStatus& status) {
    JsonWriter json;
    json.BeginObject();
    json.Key("running").Bool(status.runningPid.has_value());
    json.Key("pid");
    if (status.runningPid) {
        json.Integer(*status.runningPid);
    } else {
        json.Null();
    }
    json.Key("lastRun");
    if (status.lastRun) {
        json.Raw(RunRecordJson(*status.lastRun));
    } else {
        json.Null();
    }
    json.Key("auto").Bool(status.autoOn);
    json.Key("nextStart").String(FormatUtcIso(LocalDateTimeToUnix(status.nextStart)));
    json.Key("jobs").BeginArray();
    for (const JobStatus& job : status.jobs) {
        json.BeginObject();
        json.Key("index").Integer(job.index);
        json.Key("name").String(job.name);
        json.Key("active").Bool(job.active);
        json.Key("outcome");
        if (job.last) {
            json.String(JobOutcomeName(job.last->outcome));
            json.Key("time").String(FormatUtcIso(job.last->end));
            json.Key("error").OptionalString(job.last->error);
        } else {
            json.Null();
            json.Key("time").Null();
            json.Key("error").Null();
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

}  // namespace ferrolin
