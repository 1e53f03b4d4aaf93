#include "protocols/ftp_replies.h"

#include "common/text.h"
#include "protocols/ftp_listing.h"

namespace ferrolin {

namespace {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

bool HasCode(std::string_view line, std::string_view code) {
    return line.size() >= 4 && line.substr(0, 3) == code && (line[3] == ' ' || line[3] == '-');
}

}  // namespace

FtpFeatures ParseFeatures(const std::vector<std::string>& lines) {
    FtpFeatures features;
    bool inFeat = false;
    for (const std::string& raw : lines) {
        const std::string_view line = WithoutLineEnd(raw);
        if (line.rfind("211-", 0) == 0) {
            inFeat = true;
            continue;
        }
        if (!inFeat) continue;
        if (HasCode(line, "211")) {
            inFeat = false;
            continue;
        }
        // Feature lines begin with one blank.
        std::string feature = AsciiLower(line);
        while (!feature.empty() && feature.front() == ' ') feature.erase(0, 1);
        const std::string name = feature.substr(0, feature.find(' '));
        if (name == "utf8") features.utf8 = true;
        if (name == "mlst" || name == "mlsd") features.mlsd = true;
        if (name == "mfmt") features.mfmt = true;
    }
    return features;
}

std::optional<std::string> ParsePwdReply(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string_view line = WithoutLineEnd(*it);
        if (!HasCode(line, "257")) continue;
        const size_t open = line.find('"');
        if (open == std::string_view::npos) continue;
        std::string folder;
        for (size_t i = open + 1; i < line.size(); ++i) {
            if (line[i] != '"') {
                folder += line[i];
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                folder += '"';
                ++i;
            } else {
                return folder;
            }
        }
    }
    return std::nullopt;
}

int FtpReplyCode(std::string_view line) {
    line = WithoutLineEnd(line);
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::vector<std::string> FinalReplies(const std::vector<std::string>& lines) {
    std::vector<std::string> finals;
    for (const std::string& raw : lines) {
        const std::string_view line = WithoutLineEnd(raw);
        // "ddd text" or a bare "ddd" ends a reply; "ddd-text" opens a longer one.
        if (FtpReplyCode(line) != 0 && (line.size() == 3 || line[3] == ' '))
            finals.emplace_back(line);
    }
    return finals;
}

namespace {

std::optional<std::string_view> Text213(std::string_view line) {
    line = WithoutLineEnd(line);
    if (line.size() < 5 || line.substr(0, 4) != "213 ") return std::nullopt;
    line.remove_prefix(4);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line;
}

std::optional<int64_t> Digits(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<int64_t> ParseSizeReply(std::string_view line) {
    const auto text = Text213(line);
    return text ? Digits(*text) : std::nullopt;
}

std::optional<int64_t> ParseMdtmReply(std::string_view line) {
    auto text = Text213(line);
    if (!text) return std::nullopt;
    const std::string_view stamp = text->substr(0, text->find('.'));
    if (stamp.size() != 14 || !Digits(stamp)) return std::nullopt;
    auto part = [&](size_t at, size_t length) {
        return static_cast<int>(*Digits(stamp.substr(at, length)));
    };
    return UtcCalendarToUnix(part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2),
                             part(12, 2));
}

std::string LastRefusal(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (FtpReplyCode(*it) >= 400) return std::string(WithoutLineEnd(*it));
    }
    return {};
}

}  // namespace ferrolin
