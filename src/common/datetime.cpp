#include "common/datetime.h"

#include <time.h>

#include <algorithm>
#include <cmath>

namespace ferrolin {

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int64_t kMsPerSecond = 1000;
// Days from 1970-01-01 back to the program's day zero, 1899-12-30.
constexpr int64_t kUnixEpochDay = 25569;
constexpr int64_t kFileTimeTicksPerSecond = 10000000;

// Days since 1970-01-01 of a proleptic Gregorian date (valid for any year).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

// The value split into whole days and milliseconds of the day, rounded to the nearest
// millisecond. For moments before day zero the fraction still counts forward from
// midnight (-1.25 is 1899-12-29 06:00), so the split works on the absolute value.
struct SplitMoment {
    int64_t day;
    int64_t msOfDay;
};

// Values far outside the calendar (the program's dates end with 9999) decode as day
// zero instead of overflowing the day arithmetic.
constexpr double kLargestDayCount = 1e9;

SplitMoment Split(TDateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > kLargestDayCount) return {0, 0};
    const int64_t ms = std::llround(std::fabs(value) * static_cast<double>(kMsPerDay));
    int64_t day = ms / kMsPerDay;
    if (value < 0) day = -day;
    return {day, ms % kMsPerDay};
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<TDateTime> TryEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    return static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixEpochDay);
}

std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        return std::nullopt;
    }
    const int64_t ms = ((hour * 60LL + minute) * 60 + second) * kMsPerSecond + millisecond;
    return static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMsPerDay);
}

TDateTime EncodeDate(int year, int month, int day) {
    return TryEncodeDate(year, month, day).value_or(0.0);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    return TryEncodeTime(hour, minute, second, millisecond).value_or(0.0);
}

TDateTime EncodeDateTime(const DateParts& date, const TimeParts& time) {
    const TDateTime day = EncodeDate(date.year, date.month, date.day);
    const TDateTime fraction = EncodeTime(time.hour, time.minute, time.second, time.millisecond);
    // Before day zero the time still counts forward from that day's midnight.
    return day < 0 ? day - fraction : day + fraction;
}

DateParts DecodeDate(TDateTime value) {
    return CivilFromDays(Split(value).day - kUnixEpochDay);
}

TimeParts DecodeTime(TDateTime value) {
    int64_t ms = Split(value).msOfDay;
    TimeParts t;
    t.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

TDateTime DateOf(TDateTime value) {
    return static_cast<TDateTime>(Split(value).day);
}

TDateTime TimeOf(TDateTime value) {
    return static_cast<TDateTime>(Split(value).msOfDay) / static_cast<TDateTime>(kMsPerDay);
}

int DayOfWeek(TDateTime value) {
    // Day zero, 1899-12-30, was a Saturday (7).
    const int64_t day = Split(value).day;
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

TDateTime UnixToLocalDateTime(int64_t seconds, int64_t nanoseconds) {
    seconds += FloorDiv(nanoseconds, 1000000000);
    nanoseconds -= FloorDiv(nanoseconds, 1000000000) * 1000000000;
    const time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return 0.0;
    const TDateTime day = static_cast<TDateTime>(
        DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) + kUnixEpochDay);
    const double secondsOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 +
                                std::min(local.tm_sec, 59) + nanoseconds / 1e9;
    const TDateTime fraction = secondsOfDay / 86400.0;
    return day < 0 ? day - fraction : day + fraction;
}

int64_t LocalDateTimeToUnix(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    struct tm local {};
    local.tm_year = d.year - 1900;
    local.tm_mon = d.month - 1;
    local.tm_mday = d.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;  // let the zone rules decide whether daylight saving applies
    return static_cast<int64_t>(mktime(&local));
}

TDateTime FileTimeToLocalDateTime(int64_t fileTime) {
    // Split into seconds first, so no value of fileTime can overflow.
    const int64_t fileSeconds = FloorDiv(fileTime, kFileTimeTicksPerSecond);
    const int64_t rest = (fileTime % kFileTimeTicksPerSecond + kFileTimeTicksPerSecond) %
                         kFileTimeTicksPerSecond;
    return UnixToLocalDateTime(fileSeconds - kFileTimeUnixEpoch / kFileTimeTicksPerSecond,
                               rest * 100);
}

int64_t LocalDateTimeToFileTime(TDateTime value) {
    const int64_t ms = DecodeTime(value).millisecond;
    return UnixToFileTime(LocalDateTimeToUnix(value), ms * 1000000);
}

TDateTime Now() {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return UnixToLocalDateTime(ts.tv_sec, ts.tv_nsec);
}

}  // namespace ferrolin
