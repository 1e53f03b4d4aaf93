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

namespace ferrolin {

class RunContext;

inline constexpr const char* kDelayDeleteFileName = "DelayDelete.txt";
inline constexpr size_t kDelayMomentLength = 19;

std::string DelayDeletePath(const RunContext& station);

std::string FormatDelayMoment(TDateTime moment);
std::optional<TDateTime> ParseDelayMoment(std::string_view text);

// The job's delete delay in days: a whole number, blanks around it allowed. Nothing
// when the text is not a number.
std::optional<long> ParseDelayDays(std::string_view text);

// Adds a line for each orphan (a path relative to destRoot) to DelayDelete.txt unless a
// line already mentions it, keeping the lines already there and their moments.
void PostponeDeletions(RunContext& station, const std::string& destRoot,
                       const std::vector<std::string>& orphans);

// With a positive delay: takes the lines whose moment plus the delay has passed out of
// DelayDelete.txt and deletes their files (until CopyCancel is set). A line whose moment
// cannot be read stays in the file as it is, with one log line naming it; the other
// lines are processed as usual.
void ProcessDelayedDeletes(RunContext& station, const TransferJob& job);

}  // namespace ferrolin
