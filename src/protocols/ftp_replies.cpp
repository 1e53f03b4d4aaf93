#include "protocols/ftp_replies.h"

#include "common/text.h"

namespace ferrolin {

namespace {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

bool HasCode(std::string_view line, std::string_view code) {
    return line.size() >= 4 && line.substr(0, 3) == code && (line[3] == ' ' || line[3] == '-');
}

int ReplyCode(std::string_view line) {
    if (line.size() < 4 || (line[3] != ' ' && line[3] != '-')) return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return 0;
        code = code * 10 + (line[i] - '0');
    }
    return code;
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

std::string LastRefusal(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (ReplyCode(*it) >= 400) return std::string(WithoutLineEnd(*it));
    }
    return {};
}

}  // namespace ferrolin
