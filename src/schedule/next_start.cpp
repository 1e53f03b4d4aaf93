#include "schedule/next_start.h"

#include <cmath>
#include <cstdio>

#include "common/datetime_format.h"
#include "schedule/schedule_context.h"

namespace ferrolin {

namespace {

// The moment as its text shows it: the same day, the milliseconds dropped. A start is due
// once the clock has passed the second shown, not some fraction after it.
TDateTime WholeSecondOf(TDateTime moment) {
    TimeParts time = DecodeTime(moment);
    time.millisecond = 0;
    return EncodeDateTime(DecodeDate(moment), time);
}

}  // namespace

void SetNextStart(ScheduleContext& station, TDateTime next) {
    station.NextStart = WholeSecondOf(next);
    station.surfaces().SetNextFu10Text(DateTimeToStr(*station.NextStart));
}

std::string FormatCountdown(TDateTime span) {
    // Whole milliseconds first, so 0.99999999 s of rounding noise does not show as a second
    // short; then the seconds are cut, as a clock shows them.
    long long ms = std::llround(span * 86400000.0);
    if (ms < 0) ms = 0;
    const long long seconds = (ms / 1000) % 86400;
    char text[48];
    std::snprintf(text, sizeof(text), "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace ferrolin
