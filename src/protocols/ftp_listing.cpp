#include "protocols/ftp_listing.h"

#include "common/text.h"

namespace ferrolin {

namespace {

bool IsTotalLine(std::string_view line) {
    return line.rfind("total ", 0) == 0 || line == "total";
}

// MLSD names the listed folder ("cdir") and its parent ("pdir") among the entries.
bool IsMlsdSelfOrParent(std::string_view line) {
    const std::string facts = AsciiLower(line.substr(0, line.find(' ')));
    return facts.find("type=cdir") != std::string::npos ||
           facts.find("type=pdir") != std::string::npos;
}

}  // namespace

std::optional<int64_t> UtcCalendarToUnix(int year, int month, int day, int hour, int minute,
                                         int second) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60) {
        return std::nullopt;
    }
    // Days since 1970 (H. Hinnant's days_from_civil).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

bool IsRefusedRemoteName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return true;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (name[i] == '/' || name[i] == '\\' || b < 0x20 || b == 0x7F) return true;
        // C1 controls (U+0080-U+009F) in UTF-8.
        if (b == 0xC2 && i + 1 < name.size()) {
            const auto next = static_cast<unsigned char>(name[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

FtpListing ParseFtpListing(std::string_view text, FtpListFormat format, int64_t nowUnix) {
    FtpListing listing;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::optional<FtpEntry> entry;
        if (format == FtpListFormat::Mlsd) {
            if (IsMlsdSelfOrParent(line)) continue;
            entry = ParseMlsdLine(line);
        } else {
            if (IsTotalLine(line)) continue;
            entry = ParseUnixListLine(line, nowUnix);
            if (!entry) entry = ParseDosListLine(line);
        }
        if (!entry) {
            listing.skippedLines.emplace_back(line);
            continue;
        }
        entry->refused = IsRefusedRemoteName(entry->serverName);
        listing.entries.push_back(std::move(*entry));
    }
    return listing;
}

}  // namespace ferrolin
