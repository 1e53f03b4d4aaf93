#pragma once
// The program-wide date and time forms, fixed once at start, and formatting and parsing
// of date-times in them.
#include <optional>
#include <string>
#include <string_view>

#include "common/datetime.h"

namespace ferrolin {

struct DateTimeFormats {
    std::string ShortDateFormat = "dd.mm.yyyy";  // "dd" D "mm" D "yyyy" or "mm" D "dd" D "yyyy"
    char DateSeparator = '.';
    char TimeSeparator = ':';
    std::string LongTimeFormat = "hh:mm:ss";
    std::string ShortTimeFormat = "hh:mm";
    char DecimalSeparator = '.';  // for numbers (FormatByteSize), not part of dates
};

// The formats in force for this process.
const DateTimeFormats& Formats();
// Replaces the formats (start-up, and tests that need a given regional setting).
void SetFormats(const DateTimeFormats& formats);

// The rule that turns the system's short date pattern into the program's: whichever of
// "m" and "d" comes first in the lower-cased pattern decides the order (a letter that is
// missing counts as position 0); the year is always four digits.
DateTimeFormats DeriveDateTimeFormats(std::string_view systemShortDate, char dateSeparator,
                                      char decimalSeparator);

// Reads the system's regional settings once (platform locale) and fixes the formats for
// the life of the process.
void ApplyDateTimeFormats();

// Formats with the letters an operator types for a time stamp: yy, yyyy, m, mm (minutes
// right after an hour letter), d, dd, h, hh, n, nn, s, ss, z, zzz, "/" (date separator),
// ":" (time separator), text in single or double quotes kept literally, any other
// character kept as it is.
std::string FormatDateTime(std::string_view format, TDateTime value);

std::string DateToStr(TDateTime value);      // short date
std::string TimeToStr(TDateTime value);      // long time "hh:mm:ss"
std::string DateTimeToStr(TDateTime value);  // short date + " " + long time; the time is
                                             // left out at exactly midnight

// Parsing back in the program's forms. A time of day must be valid ("60:00" and
// "24:00:00" give nothing). StrToTime accepts "h:m" and "h:m:s"; StrToDateTime accepts a
// date alone or a date, blanks and a time.
std::optional<TDateTime> StrToDate(std::string_view text);
std::optional<TDateTime> StrToTime(std::string_view text);
std::optional<TDateTime> StrToDateTime(std::string_view text);

}  // namespace ferrolin
