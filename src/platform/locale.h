#pragma once
#include <string>

namespace ferrolin::platform {

struct RegionalSettings {
    std::string shortDatePattern;  // e.g. "%d.%m.%Y" turned into "dd.MM.yyyy"
    char dateSeparator = '.';
    char decimalSeparator = '.';
};

// Calls setlocale(LC_ALL, "") once and reads LC_TIME's date pattern (nl_langinfo(D_FMT))
// and LC_NUMERIC's decimal point.
RegionalSettings ReadRegionalSettings();

}  // namespace ferrolin::platform
