// Parsing of dates and times written in the program's own forms (the short date of the
// process formats, "hh:mm" and "hh:mm:ss"). Anything else, including times that do not
// exist such as "24:00:00" or "12:60", gives no value.
#include <cctype>

#include "common/datetime_format.h"

namespace ferrolin {

namespace {

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool Take(char c) {
        if (AtEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    // Reads 1..maxDigits decimal digits; *digits gets how many were read.
    bool Number(size_t maxDigits, int& value, size_t* digits = nullptr) {
        size_t n = 0;
        value = 0;
        while (pos_ < text_.size() && n < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++n;
        }
        if (digits != nullptr) *digits = n;
        // More digits than the field allows is not a number of this field.
        if (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            return false;
        }
        return n > 0;
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

enum class Field { Day, Month, Year };

// The order of day, month and year in the short date format.
void DateOrder(const std::string& format, Field order[3]) {
    struct Found {
        size_t at;
        Field field;
    } found[3] = {{format.find_first_of("dD"), Field::Day},
                  {format.find_first_of("mM"), Field::Month},
                  {format.find_first_of("yY"), Field::Year}};
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            if (found[j].at < found[i].at) std::swap(found[i], found[j]);
        }
    }
    for (int i = 0; i < 3; ++i) order[i] = found[i].field;
}

int ExpandYear(int year, size_t digits) {
    if (digits > 2) return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

std::optional<TDateTime> ScanDate(Scanner& in) {
    const DateTimeFormats& f = Formats();
    Field order[3];
    DateOrder(f.ShortDateFormat, order);
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !in.Take(f.DateSeparator)) return std::nullopt;
        int value = 0;
        size_t digits = 0;
        if (!in.Number(order[i] == Field::Year ? 4 : 2, value, &digits)) return std::nullopt;
        switch (order[i]) {
            case Field::Day:
                day = value;
                break;
            case Field::Month:
                month = value;
                break;
            case Field::Year:
                year = ExpandYear(value, digits);
                break;
        }
    }
    return TryEncodeDate(year, month, day);
}

std::optional<TDateTime> ScanTime(Scanner& in) {
    const char sep = Formats().TimeSeparator;
    int hour = 0, minute = 0, second = 0;
    if (!in.Number(2, hour) || !in.Take(sep) || !in.Number(2, minute)) return std::nullopt;
    if (in.Take(sep) && !in.Number(2, second)) return std::nullopt;
    return TryEncodeTime(hour, minute, second, 0);
}

// Runs one scan over the whole text: blanks around it are fine, anything left over is not.
template <typename Scan>
std::optional<TDateTime> Whole(std::string_view text, Scan scan) {
    Scanner in(text);
    in.SkipBlanks();
    const std::optional<TDateTime> value = scan(in);
    in.SkipBlanks();
    if (!value || !in.AtEnd()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<TDateTime> StrToDate(std::string_view text) {
    return Whole(text, ScanDate);
}

std::optional<TDateTime> StrToTime(std::string_view text) {
    return Whole(text, ScanTime);
}

std::optional<TDateTime> StrToDateTime(std::string_view text) {
    return Whole(text, [](Scanner& in) -> std::optional<TDateTime> {
        const std::optional<TDateTime> date = ScanDate(in);
        if (!date) return std::nullopt;
        in.SkipBlanks();
        if (in.AtEnd()) return date;
        const std::optional<TDateTime> time = ScanTime(in);
        if (!time) return std::nullopt;
        return *date < 0 ? *date - *time : *date + *time;
    });
}

}  // namespace ferrolin
