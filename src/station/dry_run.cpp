#include "station/dry_run.h"

#include <array>
#include <utility>

#include "engine/delayed_delete.h"
#include "engine/job_guards.h"
#include "engine/run_job.h"
#include "engine/run_log.h"
#include "station/station_config.h"

namespace ferrolin {

namespace {

constexpr std::array<PlanVerb, 9> kVerbs = {
    PlanVerb::Copy,   PlanVerb::Update,       PlanVerb::Same,
    PlanVerb::Delete, PlanVerb::DelayDelete,  PlanVerb::Download,
    PlanVerb::Upload, PlanVerb::RemoteDelete, PlanVerb::Skip};

std::string_view VerbText(PlanVerb verb) {
    switch (verb) {
        case PlanVerb::Copy:
            return "copy";
        case PlanVerb::Update:
            return "update";
        case PlanVerb::Same:
            return "same";
        case PlanVerb::Delete:
            return "delete";
        case PlanVerb::DelayDelete:
            return "delay-delete";
        case PlanVerb::Download:
            return "download";
        case PlanVerb::Upload:
            return "upload";
        case PlanVerb::RemoteDelete:
            return "remote-delete";
        case PlanVerb::Skip:
            break;
    }
    return "skip";
}

std::string_view ReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::LeavesDestination:
            return "path-leaves-destination";
        case SkipReason::ProgramFile:
            return "program-file";
        case SkipReason::NoDestination:
            return "no-destination";
        case SkipReason::DialUp:
            return "dial-up-not-dialled";
        case SkipReason::JobRefused:
            return "job-settings-out-of-range";
        case SkipReason::UploadInProgress:
            return "upload-in-progress";
        case SkipReason::SourceIncomplete:
            return "source-incomplete";
        case SkipReason::SourceEmpty:
            return "source-empty";
        case SkipReason::TooManyDeletions:
            return "max-delete-exceeded";
        case SkipReason::LimitUnreadable:
            return "max-delete-unreadable";
        case SkipReason::DelayUnreadable:
            return "delete-delay-unreadable";
        case SkipReason::SourceGone:
            return "source-gone";
        case SkipReason::NoPlanner:
            return "not-plannable";
        case SkipReason::Corrupt:
            return "corrupt";
        case SkipReason::NameRefused:
            return "name-refused";
        case SkipReason::None:
            break;
    }
    return "unknown";
}

// The context a dry run's kinds work in: the station's parts, but a log of its own that
// writes nowhere and counts for this dry run alone.
RunContext DryRunContext(Station& station, RunLog& log) {
    return RunContext{station.surfaces(),  station.clock(),     log,
                      station.Options,     RM_Unattended,       false,
                      station.Copy.Cancel, station.Copy,        station.Mpeg,
                      station.Sessions,    station.IniFilename, station.Jobs.size()};
}

TransferPlan PlanJob(Station& station, RunLog& log, uint16_t n) {
    ReadJob(station, n);
    const TransferJob job = WithNormalFolders(station.Editor);
    TransferPlan plan;
    if (JobRefused(log, station.IniFilename, n, job)) {
        plan.AddSkip(SkipReason::JobRefused, job.name);
        plan.failures.push_back(log.Tally.firstError.empty() ? "job settings out of range"
                                                             : log.Tally.firstError);
        return plan;
    }
    const RunContext run = DryRunContext(station, log);
    return PlanTransferJob(run, station.Line, ChooseTransferKind(job), job);
}

}  // namespace

std::vector<JobPlan> PlanJobList(Station& station) {
    ReadConfig(station);
    RunLog log(station.ProgramDir, std::string());
    station.Copy.Cancel.Reset();
    station.Sessions.LogToFile(false);
    std::vector<JobPlan> plans;
    for (size_t n = 0; n < station.Jobs.size() && n <= UINT16_MAX; ++n) {
        if (station.Copy.Cancel.StopRequested()) break;
        if (!station.Jobs[n].checked) continue;
        log.Tally = JobTally{};
        JobPlan job{n + 1, station.Jobs[n].name, PlanJob(station, log, static_cast<uint16_t>(n))};
        plans.push_back(std::move(job));
    }
    station.Sessions.LogToFile(true);
    return plans;
}

std::string PlanActionLine(const PlanAction& action) {
    std::string line(VerbText(action.verb));
    if (action.verb == PlanVerb::DelayDelete) line += " " + FormatDelayMoment(action.due);
    if (action.verb == PlanVerb::Skip) line += " " + std::string(ReasonText(action.reason));
    line += " " + action.path;
    if (!action.target.empty()) line += " -> " + action.target;
    return line;
}

std::string JobPlanHeading(const JobPlan& job) {
    return "job " + std::to_string(job.number) + " " + job.name;
}

std::vector<std::string> JobPlanFailureLines(const JobPlan& job) {
    std::vector<std::string> lines;
    for (const std::string& failure : job.plan.failures) lines.push_back("failed: " + failure);
    return lines;
}

std::string PlanSummaryLine(const std::vector<JobPlan>& plans) {
    std::string line = "plan: " + std::to_string(plans.size()) + " jobs";
    size_t failures = 0;
    for (const JobPlan& job : plans) failures += job.plan.failures.size();
    for (const PlanVerb verb : kVerbs) {
        size_t count = 0;
        for (const JobPlan& job : plans) count += job.plan.Count(verb);
        line += ", " + std::to_string(count) + " " + std::string(VerbText(verb));
    }
    return line + ", " + std::to_string(failures) + " failed";
}

bool PlansFail(const std::vector<JobPlan>& plans) {
    for (const JobPlan& job : plans)
        if (!job.plan.failures.empty()) return true;
    return false;
}

}  // namespace ferrolin
