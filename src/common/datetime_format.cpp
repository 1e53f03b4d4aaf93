#include "common/datetime_format.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <utility>

#include "common/text.h"
#include "platform/locale.h"

namespace ferrolin {

namespace {

DateTimeFormats& CurrentFormats() {
    static DateTimeFormats formats;
    return formats;
}

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

// value with at least digits digits, zero-padded (as "%0*d" would print it). Written out
// by hand: a listing formats the time of every file, and printf is slow at this.
void AppendNumber(std::string& out, int value, int digits) {
    if (value < 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
        out += buffer;
        return;
    }
    char reversed[12];
    int length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = length; pad < digits; ++pad) out += '0';
    while (length > 0) out += reversed[--length];
}

// Formats one moment; the date and time parts are decoded once.
class Formatter {
  public:
    explicit Formatter(TDateTime value)
        : date_(DecodeDate(value)), time_(DecodeTime(value)), weekday_(DayOfWeek(value)) {}

    std::string Run(std::string_view format) {
        size_t i = 0;
        while (i < format.size()) {
            const char c = format[i];
            if (c == '\'' || c == '"') {
                i = AppendLiteral(format, i);
                continue;
            }
            const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const size_t count = RunLength(format, i, lower);
            i += count;
            AppendField(c, lower, count);
        }
        return std::move(out_);
    }

  private:
    // The quoted text that starts at i, as it stands; returns where the format goes on.
    size_t AppendLiteral(std::string_view format, size_t i) {
        const char quote = format[i];
        const size_t end = format.find(quote, i + 1);
        const std::string_view literal =
            format.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
        for (const char l : literal) {
            if (std::isalpha(static_cast<unsigned char>(l))) afterHour_ = false;
        }
        out_ += literal;
        return end == std::string_view::npos ? format.size() : end + 1;
    }

    // How many times the field letter at i repeats (1 for anything that is no field letter).
    static size_t RunLength(std::string_view format, size_t i, char lower) {
        size_t count = 1;
        if (std::string_view("ymdhnsz").find(lower) == std::string_view::npos) return count;
        while (i + count < format.size() &&
               std::tolower(static_cast<unsigned char>(format[i + count])) == lower) {
            ++count;
        }
        return count;
    }

    void AppendField(char c, char lower, size_t count) {
        const int digits = static_cast<int>(count);
        switch (lower) {
            case 'y':
                AppendNumber(out_, count <= 2 ? date_.year % 100 : date_.year, count <= 2 ? 2 : 4);
                break;
            case 'm':
                AppendMonthOrMinute(count);
                break;
            case 'd':
                if (count <= 2) {
                    AppendNumber(out_, date_.day, digits);
                } else {
                    out_ += count == 3 ? kShortDays[weekday_ - 1] : kLongDays[weekday_ - 1];
                }
                break;
            case 'h':
                AppendNumber(out_, time_.hour, count >= 2 ? 2 : 1);
                afterHour_ = true;
                return;
            case 'n':
                AppendNumber(out_, time_.minute, count >= 2 ? 2 : 1);
                break;
            case 's':
                AppendNumber(out_, time_.second, count >= 2 ? 2 : 1);
                break;
            case 'z':
                AppendNumber(out_, time_.millisecond, count >= 3 ? 3 : 1);
                break;
            case '/':
                out_ += Formats().DateSeparator;
                return;
            case ':':
                out_ += Formats().TimeSeparator;
                return;
            default:
                out_ += c;
                if (!std::isalpha(static_cast<unsigned char>(c))) return;  // keeps an hour's m
                break;
        }
        afterHour_ = false;
    }

    // An m that follows an hour (with only non-letters between) means minutes.
    void AppendMonthOrMinute(size_t count) {
        if (afterHour_ && count <= 2) {
            AppendNumber(out_, time_.minute, static_cast<int>(count));
        } else if (count <= 2) {
            AppendNumber(out_, date_.month, static_cast<int>(count));
        } else {
            out_ += count == 3 ? kShortMonths[date_.month - 1] : kLongMonths[date_.month - 1];
        }
    }

    DateParts date_;
    TimeParts time_;
    int weekday_;
    std::string out_;
    bool afterHour_ = false;
};

}  // namespace

const DateTimeFormats& Formats() {
    return CurrentFormats();
}

void SetFormats(const DateTimeFormats& formats) {
    CurrentFormats() = formats;
}

DateTimeFormats DeriveDateTimeFormats(std::string_view systemShortDate, char dateSeparator,
                                      char decimalSeparator) {
    const std::string lower = AsciiLower(systemShortDate);
    // Positions count from 1; a letter that is missing counts as 0.
    const auto position = [&lower](char letter) {
        const size_t p = lower.find(letter);
        return p == std::string::npos ? size_t{0} : p + 1;
    };
    const std::string d(1, dateSeparator);
    DateTimeFormats formats;
    formats.ShortDateFormat =
        position('m') < position('d') ? "mm" + d + "dd" + d + "yyyy" : "dd" + d + "mm" + d + "yyyy";
    formats.DateSeparator = dateSeparator;
    formats.TimeSeparator = ':';
    formats.LongTimeFormat = "hh:mm:ss";
    formats.ShortTimeFormat = "hh:mm";
    formats.DecimalSeparator = decimalSeparator;
    return formats;
}

void ApplyDateTimeFormats() {
    const platform::RegionalSettings region = platform::ReadRegionalSettings();
    SetFormats(DeriveDateTimeFormats(region.shortDatePattern, region.dateSeparator,
                                     region.decimalSeparator));
}

std::string FormatDateTime(std::string_view format, TDateTime value) {
    return Formatter(value).Run(format);
}

std::string DateToStr(TDateTime value) {
    return FormatDateTime(Formats().ShortDateFormat, value);
}

std::string TimeToStr(TDateTime value) {
    return FormatDateTime(Formats().LongTimeFormat, value);
}

std::string DateTimeToStr(TDateTime value) {
    std::string text = DateToStr(value);
    const TimeParts t = DecodeTime(value);
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) {
        text += ' ';
        text += TimeToStr(value);
    }
    return text;
}

}  // namespace ferrolin
