#include "engine/run_texts.h"

#include <cmath>
#include <cstdio>

#include "common/datetime_format.h"
#include "common/text.h"

namespace ferrolin {

std::string FormatDuration(double days) {
    if (!std::isfinite(days)) return {};
    const double hoursValue = days * 24.0;
    if (std::fabs(hoursValue) >= 9.0e18) return {};
    const int64_t hours = static_cast<int64_t>(hoursValue);  // truncated toward zero
    // Minutes and seconds of the rest; a negative rest reads as its distance from zero,
    // the way a time of day is read from a negative date-time.
    const double rest = std::fabs(days - static_cast<double>(hours) / 24.0);
    const int64_t ms = std::llround(rest * 86400000.0);
    const int minutes = static_cast<int>((ms / 60000) % 60);
    const int seconds = static_cast<int>((ms / 1000) % 60);
    // At least two digits of hours, after the sign of a negative duration.
    char text[64];
    std::snprintf(text, sizeof text, "%s%02lld:%02d:%02d", hours < 0 ? "-" : "",
                  static_cast<long long>(hours < 0 ? -hours : hours), minutes, seconds);
    return text;
}

std::string StampFileName(std::string_view name, bool addTimeStamp, std::string_view format,
                          TDateTime moment) {
    const size_t dot = name.rfind('.');
    if (!addTimeStamp || dot == std::string_view::npos) return std::string(name);
    std::string stamped(name.substr(0, dot));
    stamped += FormatDateTime(format, moment);
    stamped += name.substr(dot);
    return CleanFileName(stamped);
}

std::string_view RunEndText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Failed:
            return "finished with errors";
        case RunOutcome::Cancelled:
            return "cancelled";
        case RunOutcome::Ok:
            break;
    }
    return "finished";
}

std::string ProgressLine(const ProgressFigures& f) {
    std::string line = "copying... " + std::to_string(f.fileNumber) + " of " +
                       std::to_string(f.fileCount) + " Files " + FormatByteSize(f.copiedBytes) +
                       " of " + FormatByteSize(f.totalBytes);
    if (f.copiedBytes > 0 && f.averageRate > 0)
        line += " speed: " + FormatByteSize(f.averageRate) + "/s";
    if (f.freeBytes >= 0) line += " free: " + FormatByteSize(f.freeBytes);
    if (f.averageRate > 0) {
        const std::string remaining = FormatDuration(
            static_cast<double>(f.totalBytes - f.copiedBytes) / static_cast<double>(f.averageRate) /
            86400.0);
        if (!remaining.empty()) line += " remaining: " + remaining;
    }
    return line;
}

}  // namespace ferrolin
