#include "remote/ftp_address.h"

#include "common/text.h"
#include "protocols/ftp_scheme.h"

namespace ferrolin {

namespace {

// A scheme at the start goes ("sftp://", "ftps://", "ftpes://", "ftp://"); otherwise the
// "ftp://" prefix is expected at the start and the first six characters go.
std::string WithoutScheme(std::string_view value) {
    std::string text(value);
    if (const auto scheme = SchemeAtStart(text)) {
        text.erase(0, SchemePrefix(*scheme).size());
    } else if (AsciiLower(text).find("ftp://") != std::string::npos) {
        text.erase(0, 6);
    }
    return text;
}

}  // namespace

std::string FtpHostOf(std::string_view Value) {
    std::string text = WithoutScheme(Value);
    const size_t at = text.find('@');
    if (at != std::string::npos) text.erase(0, at + 1);
    return text.substr(0, text.find('/'));
}

FtpScheme FtpSchemeOf(std::string_view Value) {
    return SchemeAtStart(Value).value_or(FtpScheme::Ftp);
}

std::string FtpFolderOf(std::string_view Value) {
    const std::string text = WithoutScheme(Value);
    const size_t slash = text.find('/');
    if (slash == std::string::npos) return {};
    std::string folder = text.substr(slash);
    if (folder.size() > 1) folder += '/';
    return folder;
}

}  // namespace ferrolin
