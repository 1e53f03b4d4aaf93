#include "protocols/remote_command_text.h"

#include <cstdio>
#include <ctime>
#include <vector>

namespace ferrolin {

bool SafeCommandText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string QuotedSftpPath(std::string_view path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\' || c == '\'') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JoinRemotePath(std::string_view folder, std::string_view path) {
    std::string whole;
    if (!path.empty() && path.front() == '/') {
        whole = path;
    } else {
        whole = std::string(folder) + "/" + std::string(path);
    }
    std::vector<std::string_view> parts;
    std::string_view rest = whole;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string joined;
    for (std::string_view part : parts) {
        joined += '/';
        joined += part;
    }
    return joined.empty() ? "/" : joined;
}

namespace {

std::tm UtcOf(int64_t unixTime) {
    const auto seconds = static_cast<std::time_t>(unixTime);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return parts;
}

}  // namespace

std::string HttpDate(int64_t unixTime) {
    const std::tm parts = UtcOf(unixTime);
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[96];
    std::snprintf(text, sizeof(text), "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                  parts.tm_min, parts.tm_sec);
    return text;
}

std::string MdtmStamp(int64_t unixTime) {
    const std::tm parts = UtcOf(unixTime);
    char text[80];
    std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

}  // namespace ferrolin
