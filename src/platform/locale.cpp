#include "platform/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <mutex>

namespace ferrolin::platform {

namespace {

// Turns one strftime conversion letter into the letters the date formatter knows.
// Conversions that carry no date field (weekday names, literal %%) become nothing or
// their literal text.
std::string ConversionLetters(char conversion) {
    switch (conversion) {
        case 'd':
        case 'e':
            return "dd";
        case 'm':
            return "MM";
        case 'Y':
        case 'G':
            return "yyyy";
        case 'y':
        case 'g':
            return "yy";
        case 'b':
        case 'h':
            return "MMM";
        case 'B':
            return "MMMM";
        case 'D':
            return "MM/dd/yy";
        case 'F':
            return "yyyy-MM-dd";
        case '%':
            return "%";
        case 'n':
            return "\n";
        case 't':
            return "\t";
        default:
            return {};
    }
}

}  // namespace

std::string ShortDatePatternFromStrftime(std::string_view strftimePattern) {
    std::string result;
    for (size_t i = 0; i < strftimePattern.size(); ++i) {
        const char c = strftimePattern[i];
        if (c != '%' || i + 1 >= strftimePattern.size()) {
            result += c;
            continue;
        }
        size_t j = i + 1;
        // Flags and field widths (glibc: _ - 0 ^ #, digits) and the E/O modifiers.
        while (j < strftimePattern.size() &&
               (std::string_view("_-0^#").find(strftimePattern[j]) != std::string_view::npos ||
                std::isdigit(static_cast<unsigned char>(strftimePattern[j])) ||
                strftimePattern[j] == 'E' || strftimePattern[j] == 'O')) {
            ++j;
        }
        if (j >= strftimePattern.size()) break;
        result += ConversionLetters(strftimePattern[j]);
        i = j;
    }
    return result;
}

char DateSeparatorOf(std::string_view letterPattern) {
    bool seenField = false;
    for (const char c : letterPattern) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) continue;  // bytes of non-ASCII text, such as CJK field markers
        if (std::isalnum(u)) {
            seenField = true;
        } else if (seenField) {
            return c;
        }
    }
    return '/';
}

RegionalSettings ReadRegionalSettings() {
    // The process follows the user's locale for character handling and messages, but
    // numbers keep the "C" form inside the program: configuration values and protocol
    // texts are parsed and printed with a point whatever the region. The decimal point
    // of the region is taken over explicitly where the program shows numbers.
    static std::once_flag once;
    std::call_once(once, [] {
        setlocale(LC_ALL, "");
        setlocale(LC_NUMERIC, "C");
    });

    RegionalSettings settings;
    locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) {
        user = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }
    if (user == static_cast<locale_t>(0)) {
        settings.shortDatePattern = "MM/dd/yy";
        settings.dateSeparator = '/';
        return settings;
    }
    settings.shortDatePattern = ShortDatePatternFromStrftime(nl_langinfo_l(D_FMT, user));
    settings.dateSeparator = DateSeparatorOf(settings.shortDatePattern);
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    // A multi-byte decimal sign cannot be held in one char; the point stands in for it.
    if (radix != nullptr && radix[0] != '\0' && radix[1] == '\0' &&
        static_cast<unsigned char>(radix[0]) < 0x80) {
        settings.decimalSeparator = radix[0];
    }
    freelocale(user);
    return settings;
}

}  // namespace ferrolin::platform
