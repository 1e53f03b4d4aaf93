#include "schedule/send_time.h"

#include <cmath>

#include "common/datetime_format.h"

namespace ferrolin {
namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Columns are counted from 1, as the operator sees them in the editor.
std::string_view Columns(std::string_view text, size_t first, size_t last) {
    if (text.size() < first) return {};
    return text.substr(first - 1, last - first + 1);
}

bool IsEmptyLine(std::string_view text) { return Trim(text).empty(); }

bool IsZero(TDateTime interval) { return std::llround(interval * kMillisecondsPerDay) <= 0; }

constexpr const char* kZeroGridReason =
    "interval 00:00:00 cannot repeat on the absolute grid: the line starts once, then pauses";

const char* ReasonText(SendTimeLineError error) {
    switch (error) {
        case SendTimeLineError::BadStart:
            return "start time in columns 1-5 is not hh:mm";
        case SendTimeLineError::BadInterval:
            return "interval in columns 7-14 is neither hh:mm:ss nor --";
        default:
            return "";
    }
}

// The usable lines of a list in list order; empty lines are passed over, lines that do not
// follow the column format are reported and passed over.
std::vector<SendTimeLine> UsableLines(const std::vector<std::string>& lines, bool absolute,
                                      std::vector<SendTimeProblem>* problems) {
    std::vector<SendTimeLine> usable;
    usable.reserve(lines.size());
    for (const std::string& text : lines) {
        ParsedSendTimeLine parsed = ParseSendTimeLine(text);
        if (parsed.error == SendTimeLineError::None) {
            usable.push_back(parsed.line);
            if (absolute && !parsed.line.pause && IsZero(parsed.line.interval) && problems) {
                problems->push_back({text, kZeroGridReason});
            }
        } else if (parsed.error != SendTimeLineError::Empty && problems != nullptr) {
            problems->push_back({text, ReasonText(parsed.error)});
        }
    }
    return usable;
}

// The line in force at x: the line before the first non-pause line whose start today is not
// earlier than x (the first line when that is the first one; the last line when none is).
size_t LineInForce(const std::vector<SendTimeLine>& lines, TDateTime today, TDateTime x) {
    size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].pause || today + lines[i].start < x) {
            ++i;
        } else {
            break;
        }
    }
    return i > 0 ? i - 1 : 0;
}

// The first point of the grid start + k * interval that is not earlier than x (start < x,
// interval > 0). Counted in whole milliseconds so the grid does not drift and a moment on
// the grid is its own next point.
TDateTime NextGridPoint(TDateTime today, TDateTime start, TDateTime interval, TDateTime x) {
    const long long startMs = std::llround(start * kMillisecondsPerDay);
    const long long intervalMs = std::llround(interval * kMillisecondsPerDay);
    const long long xMs = std::llround((x - today) * kMillisecondsPerDay);
    long long k = 0;
    if (xMs > startMs) k = (xMs - startMs + intervalMs - 1) / intervalMs;
    return today + static_cast<double>(startMs + k * intervalMs) / kMillisecondsPerDay;
}

}  // namespace

ParsedSendTimeLine ParseSendTimeLine(std::string_view text) {
    ParsedSendTimeLine parsed;
    if (IsEmptyLine(text)) {
        parsed.error = SendTimeLineError::Empty;
        return parsed;
    }
    const std::optional<TDateTime> start = StrToTime(Trim(Columns(text, 1, 5)));
    if (!start) {
        parsed.error = SendTimeLineError::BadStart;
        return parsed;
    }
    parsed.line.start = *start;
    if (Columns(text, 7, 8) == "--") {
        parsed.line.pause = true;
        return parsed;
    }
    const std::optional<TDateTime> interval = StrToTime(Trim(Columns(text, 7, 14)));
    if (!interval) {
        parsed.error = SendTimeLineError::BadInterval;
        return parsed;
    }
    parsed.line.interval = *interval;
    return parsed;
}

TDateTime SimpleSendInterval(std::string_view field) {
    if (std::optional<TDateTime> interval = StrToTime(field)) return *interval;
    return EncodeTime(0, 10, 0);
}

TDateTime NextSendTime(const SendTimeSettings& settings, std::vector<std::string>& lines,
                       TDateTime x, std::vector<SendTimeProblem>* problems) {
    const TDateTime today = DateOf(x);
    const TDateTime tomorrow = today + 1;

    if (!settings.enhanced) return x + SimpleSendInterval(settings.simpleInterval);

    std::erase_if(lines, [](const std::string& line) { return IsEmptyLine(line); });
    const std::vector<SendTimeLine> usable = UsableLines(lines, settings.absolute, problems);
    if (usable.empty()) return tomorrow;

    const size_t i = LineInForce(usable, today, x);
    const SendTimeLine& line = usable[i];
    // A pause lasts until the start of the line after it, or for the rest of the day.
    auto afterPause = [&] { return i + 1 < usable.size() ? today + usable[i + 1].start : tomorrow; };
    if (line.pause) return afterPause();

    const TDateTime start = today + line.start;
    if (settings.absolute) {
        if (!(start < x)) return start;
        // A zero interval never advances the grid: the line starts once, then pauses.
        if (IsZero(line.interval)) return afterPause();
        return NextGridPoint(today, line.start, line.interval, x);
    }
    return x > start ? x + line.interval : start;
}

TDateTime NextStartAfterManualRun(const std::vector<std::string>& lines, TDateTime now,
                                  std::vector<SendTimeProblem>* problems) {
    const TDateTime today = DateOf(now);
    const std::vector<SendTimeLine> usable = UsableLines(lines, false, problems);
    if (usable.empty()) return today + 1;

    const size_t i = LineInForce(usable, today, now);
    const SendTimeLine& line = usable[i];
    if (line.pause) return i + 1 < usable.size() ? today + usable[i + 1].start : now + 1;
    return now + line.interval;
}

}  // namespace ferrolin
