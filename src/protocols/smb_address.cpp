#include "protocols/smb_address.h"

#include <vector>

#include "protocols/host_port.h"

namespace ferrolin {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool PlainUrlByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

void AppendEncoded(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (PlainUrlByte(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
}

// The levels of a path, empty levels dropped.
std::vector<std::string_view> Levels(std::string_view path) {
    std::vector<std::string_view> levels;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = pos;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (end > pos) levels.push_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return levels;
}

}  // namespace

std::optional<SmbAddress> ParseSmbPath(std::string_view path) {
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return std::nullopt;
    const std::vector<std::string_view> levels = Levels(path.substr(2));
    if (levels.size() < 2) return std::nullopt;
    const std::optional<HostPort> host = SplitHostPort(levels[0], 0);
    if (!host || host->host.empty()) return std::nullopt;
    SmbAddress address;
    address.server = host->host;
    address.port = host->port;
    address.share = std::string(levels[1]);
    for (size_t i = 2; i < levels.size(); ++i) {
        if (!address.rest.empty()) address.rest += '/';
        address.rest += levels[i];
    }
    return address;
}

std::string SmbAddress::ConnectionKey() const {
    return Lower(server) + ":" + std::to_string(port) + "/" + Lower(share);
}

std::string SmbAddress::Url() const {
    std::string url = "smb://";
    const bool v6 = server.find(':') != std::string::npos;
    // Appended piece by piece: gcc 12's optimiser misreads ":" + text (a short literal
    // inserted before a temporary) as an overlapping copy, -Wrestrict in release builds.
    if (v6) {
        url += '[';
        url += server;
        url += ']';
    } else {
        AppendEncoded(url, server);
    }
    if (port != 0) {
        url += ':';
        url += std::to_string(port);
    }
    url += '/';
    AppendEncoded(url, share);
    if (!rest.empty()) {
        url += '/';
        AppendEncoded(url, rest);
    }
    return url;
}

SmbAddress SmbAddress::Below(std::string_view name) const {
    SmbAddress below = *this;
    for (const std::string_view level : Levels(name)) {
        if (!below.rest.empty()) below.rest += '/';
        below.rest += level;
    }
    return below;
}

}  // namespace ferrolin
