// DOS/IIS style LIST lines (servers that answer SYST with "215 Windows_NT"):
//   07-25-13  05:49AM       <DIR>          name
//   07-25-2013  17:49              1234 name with blanks
//   7-25-13  5:49 PM                 12 name
// The date is month-day-year; a two-digit year below 70 is in the 2000s.
#include "protocols/ftp_listing.h"
#include "protocols/ftp_listing_words.h"

namespace ferrolin {

namespace {

using ftp_listing::ParseDigits;

struct DosDate {
    int year = 0, month = 0, day = 0;
};

std::optional<DosDate> ParseDosDate(std::string_view text) {
    const char separator = text.find('-') != std::string_view::npos ? '-' : '/';
    const size_t first = text.find(separator);
    const size_t second = first == std::string_view::npos ? first : text.find(separator, first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    auto month = ParseDigits(text.substr(0, first));
    auto day = ParseDigits(text.substr(first + 1, second - first - 1));
    const std::string_view yearText = text.substr(second + 1);
    auto year = ParseDigits(yearText);
    if (!month || !day || !year || first > 2 || second - first - 1 > 2) return std::nullopt;
    if (yearText.size() == 2) {
        *year += *year < 70 ? 2000 : 1900;
    } else if (yearText.size() != 4) {
        return std::nullopt;
    }
    return DosDate{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
}

// "05:49", "5:49", "05:49AM", "5:49PM" (suffix may also be the next word).
bool ParseDosClock(std::string_view text, std::string_view suffix, int& hour, int& minute) {
    if (text.size() >= 2) {
        const std::string_view tail = text.substr(text.size() - 2);
        if (tail == "AM" || tail == "PM" || tail == "am" || tail == "pm") {
            suffix = tail;
            text.remove_suffix(2);
        }
    }
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2) return false;
    auto h = ParseDigits(text.substr(0, colon));
    const std::string_view minuteText = text.substr(colon + 1);
    auto m = ParseDigits(minuteText);
    if (!h || !m || minuteText.size() != 2 || *m > 59) return false;
    hour = static_cast<int>(*h);
    minute = static_cast<int>(*m);
    if (!suffix.empty()) {
        if (hour < 1 || hour > 12) return false;
        const bool pm = suffix[0] == 'P' || suffix[0] == 'p';
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return hour < 24;
}

bool IsAmPm(std::string_view text) {
    return text == "AM" || text == "PM" || text == "am" || text == "pm";
}

}  // namespace

std::optional<FtpEntry> ParseDosListLine(std::string_view line) {
    const auto words = ftp_listing::SplitWords(line);
    if (words.size() < 4) return std::nullopt;
    auto date = ParseDosDate(words[0].text);
    if (!date) return std::nullopt;
    size_t next = 2;
    std::string_view suffix;
    if (IsAmPm(words[2].text)) {
        suffix = words[2].text;
        next = 3;
    }
    int hour = 0, minute = 0;
    if (!ParseDosClock(words[1].text, suffix, hour, minute) || next + 1 >= words.size()) {
        return std::nullopt;
    }
    auto unixTime = UtcCalendarToUnix(date->year, date->month, date->day, hour, minute, 0);
    if (!unixTime) return std::nullopt;
    FtpEntry entry;
    const std::string_view sizeOrDir = words[next].text;
    if (sizeOrDir == "<DIR>" || sizeOrDir == "<dir>") {
        entry.type = FtpEntryType::Directory;
    } else if (auto size = ParseDigits(sizeOrDir)) {
        entry.size = *size;
    } else {
        return std::nullopt;
    }
    entry.fileTime = *unixTime * 10'000'000 + 116444736000000000LL;
    const std::string_view name = ftp_listing::RestAfter(line, words[next].end);
    if (name.empty()) return std::nullopt;
    entry.name = entry.serverName = std::string(name);
    return entry;
}

}  // namespace ferrolin
