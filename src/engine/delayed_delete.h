#pragma once
// Postponed deletions of "Source is master": the file DelayDelete.txt in the program
// folder, one line per destination file to delete later:
//   "yyyy-mm-dd hh:nn:ss" TAB full path
// The moment is written and read in this one fixed 19-character form, whatever the
// regional date settings, so a line always reads back.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"
#include "config/transfer_job.h"
#include "engine/transfer_plan.h"

namespace ferrolin {

class Clock;
class RunLog;
struct RunContext;

inline constexpr const char* kDelayDeleteFileName = "DelayDelete.txt";
inline constexpr size_t kDelayMomentLength = 19;

std::string DelayDeletePath(const RunLog& log);

std::string FormatDelayMoment(TDateTime moment);
std::optional<TDateTime> ParseDelayMoment(std::string_view text);

// The job's delete delay in days: a whole number, blanks around it allowed. Nothing
// when the text is not a number.
std::optional<long> ParseDelayDays(std::string_view text);

// Adds a line for each orphan (a path relative to destRoot) to DelayDelete.txt unless a
// line already mentions it, keeping the lines already there and their moments.
void PostponeDeletions(const RunLog& log, const Clock& clock, const std::string& destRoot,
                       const std::vector<std::string>& orphans);

// The lines of DelayDelete.txt for a job with a positive delay of days, split into the
// deletions that fell due (each file with the job's destination folder that guards it)
// and the lines that stay. Lines not understood and paths outside every job's
// destination folder stay, each named in the log.
struct DelayedDeletions {
    std::vector<std::string> remaining;
    std::vector<std::string> due;
    std::vector<std::string> dueRoots;
};
DelayedDeletions SplitDueDeletions(const RunContext& run, const TransferJob& job, long days,
                                   std::vector<std::string> lines);

// When an orphan (a path relative to its destination folder) falls due with a delay of
// days: from the moment of the line of lines that already names it, else from now.
TDateTime DelayDueMoment(const std::vector<std::string>& lines, const std::string& orphan,
                         TDateTime now, long days);

// The deletions the job's delay lets fall due now, as ProcessDelayedDeletes would take
// them; DelayDelete.txt is only read.
TransferPlan PlanDelayedDeletes(const RunContext& run, const TransferJob& job);

// The orphans (relative to destRoot) PostponeDeletions would note, each with its due
// moment; DelayDelete.txt is only read. An orphan whose name holds a line break is never
// noted (logged): its line could forge another.
TransferPlan PlanPostponedDeletions(const RunLog& log, const Clock& clock,
                                    const std::string& destRoot,
                                    const std::vector<std::string>& orphans, long days);

// With a positive delay: takes the lines whose moment plus the delay has passed out of
// DelayDelete.txt and deletes their files (until CopyCancel is set). A line whose moment
// cannot be read stays in the file as it is, with one log line naming it; the other
// lines are processed as usual.
void ProcessDelayedDeletes(const RunContext& run, const TransferJob& job);

}  // namespace ferrolin
