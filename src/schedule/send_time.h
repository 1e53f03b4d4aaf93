#pragma once
// The send-time schedule: when the automatic mode starts its next run.
//
// Two modes: Simple, a fixed pause after the reference moment; Enhanced, the send-time
// lines of one weekday. A line is "hh:mm hh:mm:ss" (start time, blank, repeat interval)
// or "hh:mm --" (a pause line). The lines are used in list order, never sorted.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"

namespace ferrolin {

// The line a weekday gets when it has no list of its own: every hour from midnight.
inline constexpr std::string_view kDefaultSendTimeLine = "00:00 01:00:00";

// One send-time line taken apart. start is the time of day of columns 1-5, interval the
// time of columns 7-14; a pause line has no interval.
struct SendTimeLine {
    TDateTime start = 0;
    bool pause = false;
    TDateTime interval = 0;
};

enum class SendTimeLineError {
    None,
    Empty,        // nothing but blanks: passed over without complaint
    BadStart,     // columns 1-5 are not a time "hh:mm"
    BadInterval,  // columns 7-14 are neither a time "hh:mm:ss" nor "--"
};

struct ParsedSendTimeLine {
    SendTimeLineError error = SendTimeLineError::None;
    SendTimeLine line;
};

ParsedSendTimeLine ParseSendTimeLine(std::string_view text);

// What the schedule is told about a line it could not use: the line and why. The caller
// decides where it goes (the event log, once per line).
struct SendTimeProblem {
    std::string line;
    std::string reason;
};

// The schedule settings that decide the mode in force.
struct SendTimeSettings {
    bool enhanced = false;  // SendTimeMode is 1 ("Enhanced")
    bool absolute = false;  // AbsolutSendTime: repeat on a fixed grid
    std::string simpleInterval = "00:10:00";
};

// The next start after x. In Enhanced mode empty lines are removed from lines (the
// editor's list) first. Lines that do not follow the column format are left out of the
// computation and reported through problems (when given); a zero interval on the grid is
// a single start at the line's time, followed by a pause.
TDateTime NextSendTime(const SendTimeSettings& settings, std::vector<std::string>& lines,
                       TDateTime x, std::vector<SendTimeProblem>* problems = nullptr);

// The next start after a "Manual" run ended at now: always from the weekday lines, never on
// a grid; a trailing pause gives the same time tomorrow. With no usable line the next start
// is tomorrow 00:00, like an empty weekday list.
TDateTime NextStartAfterManualRun(const std::vector<std::string>& lines, TDateTime now,
                                  std::vector<SendTimeProblem>* problems = nullptr);

// The interval of Simple mode: the field parsed as a time of day, 00:10:00 when it does not
// parse (hours must be 0-23, so 24 hours or more falls back too).
TDateTime SimpleSendInterval(std::string_view field);

}  // namespace ferrolin
