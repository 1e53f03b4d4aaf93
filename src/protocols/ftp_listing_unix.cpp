// Unix "ls -l" style LIST lines:
//   drwxr-xr-x   2 owner group     4096 Jul 25  2013 name
//   -rw-r--r--   1 owner group      123 Jul 25 05:49 name with blanks
//   lrwxrwxrwx   1 owner group        7 Jan  1  2020 link -> target
//   -rw-r--r--   1 owner            123 Jul 25 05:49 2014          (no group; digit name)
//   -rw-r--r--   1 owner group      123 2013-07-25 05:49 name      (ISO time style)
// The columns between the permissions and the size vary from server to server, so the
// parser anchors on the date: the first month word that follows a number and is followed
// by a day and a year or time. Everything after the date is the name.
#include "protocols/ftp_listing.h"
#include "protocols/ftp_listing_words.h"

namespace ferrolin {

namespace {

using ftp_listing::MonthNumber;
using ftp_listing::ParseDigits;
using ftp_listing::Word;

bool IsPermissions(std::string_view text) {
    if (text.size() < 10) return false;
    if (std::string_view("-dlbcpsD").find(text[0]) == std::string_view::npos) return false;
    for (size_t i = 1; i < 10; ++i) {
        if (std::string_view("rwxsStTlL-").find(text[i]) == std::string_view::npos) return false;
    }
    // ACL and extended-attribute marks ("+", "@", ".") may follow.
    for (size_t i = 10; i < text.size(); ++i) {
        if (std::string_view("+@.").find(text[i]) == std::string_view::npos) return false;
    }
    return true;
}

FtpEntryType TypeOf(char c) {
    switch (c) {
        case '-':
            return FtpEntryType::File;
        case 'd':
            return FtpEntryType::Directory;
        case 'l':
            return FtpEntryType::Link;
        default:
            return FtpEntryType::Other;
    }
}

// "05:49" or "5:49" -> hour and minute.
bool ParseClock(std::string_view text, int& hour, int& minute) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2) return false;
    auto h = ParseDigits(text.substr(0, colon));
    auto m = ParseDigits(text.substr(colon + 1));
    if (!h || !m || text.size() - colon - 1 != 2) return false;
    hour = static_cast<int>(*h);
    minute = static_cast<int>(*m);
    return hour < 24 && minute < 60;
}

// A listed time without a year lies within the last months: take this year, or last
// year when that would put it more than a day into the future.
std::optional<int64_t> WithoutYear(int month, int day, int hour, int minute, int64_t nowUnix) {
    const int64_t days = nowUnix / 86400;
    // Civil year of nowUnix (days since 1970), after H. Hinnant's algorithm.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t nowMonth = mp < 10 ? mp + 3 : mp - 9;
    const int nowYear = static_cast<int>(yoe + era * 400 + (nowMonth <= 2 ? 1 : 0));
    auto candidate = UtcCalendarToUnix(nowYear, month, day, hour, minute, 0);
    if (candidate && *candidate <= nowUnix + 86400) return candidate;
    // February 29th of a year that has none is meant for an earlier leap year.
    for (int year = nowYear - 1; year >= nowYear - 4; --year) {
        if (auto earlier = UtcCalendarToUnix(year, month, day, hour, minute, 0)) return earlier;
    }
    return std::nullopt;
}

// The date at words[at...]: "Mon DD YYYY|HH:MM" (3 words) or "YYYY-MM-DD HH:MM[:SS]"
// (2 words). Sets used to the number of words taken.
std::optional<int64_t> ParseDate(const std::vector<Word>& words, size_t at, int64_t nowUnix,
                                 size_t& used) {
    if (auto month = MonthNumber(words[at].text)) {
        if (at + 2 >= words.size()) return std::nullopt;
        auto day = ParseDigits(words[at + 1].text);
        if (!day || *day < 1 || *day > 31) return std::nullopt;
        used = 3;
        const std::string_view last = words[at + 2].text;
        int hour = 0, minute = 0;
        if (ParseClock(last, hour, minute)) {
            return WithoutYear(*month, static_cast<int>(*day), hour, minute, nowUnix);
        }
        auto year = ParseDigits(last);
        if (!year || last.size() != 4) return std::nullopt;
        return UtcCalendarToUnix(static_cast<int>(*year), *month, static_cast<int>(*day), 0, 0, 0);
    }
    const std::string_view iso = words[at].text;
    if (iso.size() != 10 || iso[4] != '-' || iso[7] != '-' || at + 1 >= words.size()) {
        return std::nullopt;
    }
    auto year = ParseDigits(iso.substr(0, 4));
    auto month = ParseDigits(iso.substr(5, 2));
    auto day = ParseDigits(iso.substr(8, 2));
    std::string_view clock = words[at + 1].text;
    int second = 0;
    if (clock.size() >= 8 && clock[5] == ':') {
        auto s = ParseDigits(clock.substr(6, 2));
        if (!s) return std::nullopt;
        second = static_cast<int>(*s);
        clock = clock.substr(0, 5);
    }
    int hour = 0, minute = 0;
    if (!year || !month || !day || !ParseClock(clock, hour, minute)) return std::nullopt;
    used = 2;
    return UtcCalendarToUnix(static_cast<int>(*year), static_cast<int>(*month),
                             static_cast<int>(*day), hour, minute, second);
}

}  // namespace

std::optional<FtpEntry> ParseUnixListLine(std::string_view line, int64_t nowUnix) {
    const auto words = ftp_listing::SplitWords(line);
    if (words.size() < 5 || !IsPermissions(words[0].text)) return std::nullopt;
    for (size_t at = 2; at + 1 < words.size(); ++at) {
        auto size = ParseDigits(words[at - 1].text);
        if (!size) continue;
        size_t used = 0;
        auto unixTime = ParseDate(words, at, nowUnix, used);
        if (!unixTime || at + used >= words.size()) continue;
        FtpEntry entry;
        entry.type = TypeOf(words[0].text[0]);
        entry.size = *size;
        entry.fileTime = *unixTime * 10'000'000 + 116444736000000000LL;
        // One blank separates the date from the name; any further blank is part of the
        // name (" report.txt" is another file than "report.txt").
        size_t start = words[at + used - 1].end;
        if (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
        std::string_view name = line.substr(start);
        if (entry.type == FtpEntryType::Link) {
            const size_t arrow = name.find(" -> ");
            if (arrow != std::string_view::npos) {
                entry.linkTarget = std::string(name.substr(arrow + 4));
                name = name.substr(0, arrow);
            }
        }
        if (name.empty()) return std::nullopt;
        entry.name = entry.serverName = std::string(name);
        return entry;
    }
    return std::nullopt;
}

}  // namespace ferrolin
