#pragma once
// The ways a file server is reached through the FTP session: plain FTP, FTP with TLS
// asked for after the greeting (explicit, "AUTH TLS"), FTP with TLS from the first byte
// (implicit), and SSH's file transfer. The address names the way by its scheme.
#include <cstdint>
#include <optional>
#include <string_view>

namespace ferrolin {

enum class FtpScheme : uint8_t { Ftp, Ftpes, Ftps, Sftp };

// "ftp://", "ftpes://", "ftps://", "sftp://".
std::string_view SchemePrefix(FtpScheme scheme);
// 21, 21, 990, 22.
uint16_t DefaultPort(FtpScheme scheme);
// The scheme text starts with ("SFTP://" too); nothing when it starts with no scheme of
// these four.
std::optional<FtpScheme> SchemeAtStart(std::string_view text);
// The text names a server the FTP session reaches: "ftp:" anywhere in it, as FTP
// addresses have always been told apart, or one of the four schemes at its start.
bool NamesFtpServer(std::string_view text);
// TLS protects the connection (explicit or implicit).
inline bool UsesTls(FtpScheme scheme) {
    return scheme == FtpScheme::Ftpes || scheme == FtpScheme::Ftps;
}

}  // namespace ferrolin
