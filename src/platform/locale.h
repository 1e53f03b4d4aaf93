#pragma once
#include <string>
#include <string_view>

namespace ferrolin::platform {

struct RegionalSettings {
    std::string shortDatePattern;  // e.g. "%d.%m.%Y" turned into "dd.MM.yyyy"
    char dateSeparator = '.';
    char decimalSeparator = '.';
};

// Calls setlocale(LC_ALL, "") once and reads LC_TIME's date pattern (nl_langinfo(D_FMT))
// and LC_NUMERIC's decimal point.
RegionalSettings ReadRegionalSettings();

// The pieces of ReadRegionalSettings that need no locale, for the tests and for callers
// that already hold a pattern:
// strftime date pattern -> letter pattern ("%d.%m.%Y" -> "dd.MM.yyyy", "%D" -> "MM/dd/yy").
std::string ShortDatePatternFromStrftime(std::string_view strftimePattern);
// The first ASCII character between the fields of a letter pattern that is neither a
// letter nor a digit; '/' when the pattern has none.
char DateSeparatorOf(std::string_view letterPattern);

}  // namespace ferrolin::platform
