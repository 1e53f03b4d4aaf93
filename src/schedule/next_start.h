#pragma once
// The next start of the automatic mode is kept as a moment, to the whole second the "Next:"
// label shows (short date, blank, "hh:mm:ss"; the time left out at exactly midnight). The
// label only ever shows it; nothing reads the label back.
#include <string>

#include "common/datetime.h"

namespace ferrolin {

class ScheduleContext;

// Keeps the next start, cut to its whole second, in ScheduleContext::NextStart and shows it.
void SetNextStart(ScheduleContext& station, TDateTime next);

// A span of time as the countdown shows it: "hh:mm:ss" of the span, whole days dropped,
// negative spans as 00:00:00.
std::string FormatCountdown(TDateTime span);

}  // namespace ferrolin
