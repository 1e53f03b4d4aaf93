#pragma once
// The next start of the automatic mode lives as text, in the form the "Next:" label shows
// (short date, blank, "hh:mm:ss"; the time left out at exactly midnight), and is read back
// from that text, to the second, whenever it is needed.
#include <optional>
#include <string>

#include "common/datetime.h"

namespace ferrolin {

class ScheduleContext;

// Writes the next start into ScheduleContext::NextFu10 and shows it.
void SetNextFu10(ScheduleContext& station, TDateTime next);
// The next start read back from the text; nothing when the text does not read as a moment.
std::optional<TDateTime> ReadNextFu10(const ScheduleContext& station);

// A span of time as the countdown shows it: "hh:mm:ss" of the span, whole days dropped,
// negative spans as 00:00:00.
std::string FormatCountdown(TDateTime span);

}  // namespace ferrolin
