// MLSD lines (RFC 3659): "fact=value;fact=value; name". The facts end at the first blank;
// the name is everything after it, blanks and semicolons included. Times are UTC.
#include "common/text.h"
#include "protocols/ftp_listing.h"
#include "protocols/ftp_listing_words.h"

namespace ferrolin {

namespace {

using ftp_listing::ParseDigits;

// "YYYYMMDDHHMMSS" with an optional ".fraction".
std::optional<int64_t> ParseModify(std::string_view text, int64_t& fraction100ns) {
    fraction100ns = 0;
    const size_t dot = text.find('.');
    if (dot != std::string_view::npos) {
        std::string_view digits = text.substr(dot + 1, 7);
        auto value = ParseDigits(digits);
        if (!value) return std::nullopt;
        fraction100ns = *value;
        for (size_t i = digits.size(); i < 7; ++i) fraction100ns *= 10;
        text = text.substr(0, dot);
    }
    if (text.size() != 14 || !ParseDigits(text)) return std::nullopt;
    auto part = [&](size_t at, size_t length) {
        return static_cast<int>(*ParseDigits(text.substr(at, length)));
    };
    return UtcCalendarToUnix(part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2),
                             part(12, 2));
}

}  // namespace

std::optional<FtpEntry> ParseMlsdLine(std::string_view line) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size()) return std::nullopt;
    std::string_view facts = line.substr(0, blank);
    FtpEntry entry;
    entry.name = entry.serverName = std::string(line.substr(blank + 1));
    bool sawFact = false;
    while (!facts.empty()) {
        const size_t end = facts.find(';');
        const std::string_view fact = facts.substr(0, end);
        facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
        const size_t equals = fact.find('=');
        if (equals == std::string_view::npos) {
            if (fact.empty()) continue;
            return std::nullopt;
        }
        sawFact = true;
        const std::string key = AsciiLower(fact.substr(0, equals));
        const std::string_view value = fact.substr(equals + 1);
        if (key == "type") {
            const std::string type = AsciiLower(value);
            if (type == "file") {
                entry.type = FtpEntryType::File;
            } else if (type == "dir" || type == "cdir" || type == "pdir") {
                entry.type = FtpEntryType::Directory;
            } else if (type.rfind("os.unix=symlink", 0) == 0 ||
                       type.rfind("os.unix=slink", 0) == 0) {
                entry.type = FtpEntryType::Link;
                const size_t colon = value.find(':');
                if (colon != std::string_view::npos) entry.linkTarget = value.substr(colon + 1);
            } else {
                entry.type = FtpEntryType::Other;
            }
        } else if (key == "size" || key == "sizd") {
            auto size = ParseDigits(value);
            if (!size) return std::nullopt;
            entry.size = *size;
        } else if (key == "modify") {
            int64_t fraction = 0;
            auto unixTime = ParseModify(value, fraction);
            if (!unixTime) return std::nullopt;
            entry.fileTime = *unixTime * 10'000'000 + fraction + 116444736000000000LL;
        }
    }
    if (!sawFact) return std::nullopt;
    return entry;
}

}  // namespace ferrolin
