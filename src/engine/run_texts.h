#pragma once
// Texts a run shows and logs: time spans, the progress line, stamped file names.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/datetime.h"
#include "engine/job_tally.h"

namespace ferrolin {

// A span in days as hours:minutes:seconds, hours unbounded ("00:01:30", "60:00:00",
// "-01:30:00"). Empty for a span that is not a finite number or too large to count.
std::string FormatDuration(double days);

// name with the moment in the operator's format inserted before its last "."
// ("Spot.mpg" -> "Spot231208143005.mpg"), made safe as a file name; unchanged when
// stamping is off or the name has no ".".
std::string StampFileName(std::string_view name, bool addTimeStamp, std::string_view format,
                          TDateTime moment);

// The big label's text at the end of a run: "finished" for a run without failures,
// "finished with errors", or "cancelled".
std::string_view RunEndText(RunOutcome outcome);

// The progress line of the folder transfer loop. averageRate <= 0 means no rate samples
// yet; freeBytes < 0 means the free space is unknown.
struct ProgressFigures {
    size_t fileNumber = 0;  // 1-based
    size_t fileCount = 0;
    int64_t copiedBytes = 0;
    int64_t totalBytes = 0;
    int64_t averageRate = 0;
    int64_t freeBytes = -1;
};
std::string ProgressLine(const ProgressFigures& figures);

}  // namespace ferrolin
