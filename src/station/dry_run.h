#pragma once
// A dry run of the job list: every enabled job's source listed and every decision taken
// as a run takes it, with nothing changed anywhere. The plans are data; the lines that
// show them are made here for every face alike.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/transfer_plan.h"
#include "station/station.h"

namespace ferrolin {

struct JobPlan {
    size_t number = 0;  // 1-based, as the job list shows it
    std::string name;
    TransferPlan plan;
};

// Reads the configuration and plans every job whose check mark is set, in list order,
// until a stop is requested. The run's log, its record and DelayDelete.txt are left as
// they are: the plans are made with a log that writes nowhere.
std::vector<JobPlan> PlanJobList(Station& station);

// "copy", "update", "same", "delete", "delay-delete <due>", "download", "upload",
// "remote-delete", "skip <reason>", then the path (and " -> " the target where there is
// one).
std::string PlanActionLine(const PlanAction& action);
// "job <number> <name>".
std::string JobPlanHeading(const JobPlan& job);
// "failed: <why>" for each of the job's failures.
std::vector<std::string> JobPlanFailureLines(const JobPlan& job);
// The counts of every verb over all plans, and the failures.
std::string PlanSummaryLine(const std::vector<JobPlan>& plans);
// Whether any plan holds a failure.
bool PlansFail(const std::vector<JobPlan>& plans);

}  // namespace ferrolin
