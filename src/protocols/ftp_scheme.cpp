#include "protocols/ftp_scheme.h"

#include <array>
#include <cctype>

namespace ferrolin {

namespace {

struct SchemeRow {
    FtpScheme scheme;
    std::string_view prefix;
    uint16_t port;
};

constexpr std::array<SchemeRow, 4> kSchemes = {{
    {FtpScheme::Ftp, "ftp://", 21},
    {FtpScheme::Ftpes, "ftpes://", 21},
    {FtpScheme::Ftps, "ftps://", 990},
    {FtpScheme::Sftp, "sftp://", 22},
}};

const SchemeRow& RowOf(FtpScheme scheme) {
    for (const SchemeRow& row : kSchemes) {
        if (row.scheme == scheme) return row;
    }
    return kSchemes[0];
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string_view SchemePrefix(FtpScheme scheme) {
    return RowOf(scheme).prefix;
}

uint16_t DefaultPort(FtpScheme scheme) {
    return RowOf(scheme).port;
}

std::optional<FtpScheme> SchemeAtStart(std::string_view text) {
    for (const SchemeRow& row : kSchemes) {
        if (StartsWithNoCase(text, row.prefix)) return row.scheme;
    }
    return std::nullopt;
}

bool NamesFtpServer(std::string_view text) {
    for (size_t i = 0; i + 4 <= text.size(); ++i) {
        if (StartsWithNoCase(text.substr(i), "ftp:")) return true;
    }
    return SchemeAtStart(text).has_value();
}

}  // namespace ferrolin
