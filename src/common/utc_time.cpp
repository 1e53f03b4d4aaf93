#include "common/utc_time.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace ferrolin {

namespace {

// The number of width digits at text[at], or nothing.
std::optional<int> Digits(std::string_view text, size_t at, size_t width) {
    int value = 0;
    const char* first = text.data() + at;
    const auto result = std::from_chars(first, first + width, value);
    if (result.ec != std::errc() || result.ptr != first + width || *first == '-' || *first == '+')
        return std::nullopt;
    return value;
}

}  // namespace

std::string FormatUtcIso(int64_t unixSeconds) {
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    if (gmtime_r(&seconds, &parts) == nullptr) return "1970-01-01T00:00:00Z";
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::optional<int64_t> ParseUtcIso(std::string_view text) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2),
               hour = Digits(text, 11, 2), minute = Digits(text, 14, 2),
               second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 ||
        *second > 59)
        return std::nullopt;
    std::tm parts{};
    parts.tm_year = *year - 1900;
    parts.tm_mon = *month - 1;
    parts.tm_mday = *day;
    parts.tm_hour = *hour;
    parts.tm_min = *minute;
    parts.tm_sec = *second;
    const std::time_t seconds = timegm(&parts);
    // timegm carries February 30th over into March: such a date was never written by us.
    if (parts.tm_mday != *day || parts.tm_mon != *month - 1) return std::nullopt;
    return static_cast<int64_t>(seconds);
}

}  // namespace ferrolin
