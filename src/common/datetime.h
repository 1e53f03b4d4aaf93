#pragma once
// Date-time values as days, the way the whole program does arithmetic on moments:
// the integral part counts days since 1899-12-30 and the fraction is the time of day,
// both in local time. "now + 5 seconds" is Now() + 5 * kOneSecond, "moment + 3 days"
// is moment + 3.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_time_units.h"

namespace ferrolin {

using TDateTime = double;

inline constexpr double kOneHour = 1.0 / 24.0;
inline constexpr double kOneMinute = 1.0 / (24.0 * 60.0);
inline constexpr double kOneSecond = 1.0 / (24.0 * 60.0 * 60.0);
inline constexpr double kOneMillisecond = kOneSecond / 1000.0;

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
};

struct TimeParts {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Encoding and decoding. The Try forms return nothing for a date or time that does not
// exist (February 30th, 24:00:00, minute 60); the plain forms assume valid input.
std::optional<TDateTime> TryEncodeDate(int year, int month, int day);
std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(const DateParts& date, const TimeParts& time);
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);  // rounded to the nearest millisecond
TDateTime DateOf(TDateTime value);      // midnight of that day
TDateTime TimeOf(TDateTime value);      // the time-of-day fraction
int DayOfWeek(TDateTime value);         // 1 = Sunday ... 7 = Saturday
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Conversions to and from the operating system's clocks.
TDateTime UnixToLocalDateTime(int64_t seconds, int64_t nanoseconds = 0);
// Local moment back to seconds since 1970 UTC (mktime rules for daylight saving).
int64_t LocalDateTimeToUnix(TDateTime value);
// File times (platform/file_time_units.h) as local moments and back.
TDateTime FileTimeToLocalDateTime(int64_t fileTime);
int64_t LocalDateTimeToFileTime(TDateTime value);

// The current local moment from the system clock.
TDateTime Now();

}  // namespace ferrolin
