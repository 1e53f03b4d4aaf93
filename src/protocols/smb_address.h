#pragma once
// A path on a network share as a job names it, "//server/share/dir/file" (or, from an INI
// written on Windows, "\\server\share\dir\file"), optionally with a port after the server
// ("//server:4450/share"), and the smb:// address libsmbclient takes for it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

struct SmbAddress {
    std::string server;
    uint16_t port = 0;  // 0: the standard port
    std::string share;
    std::string rest;  // below the share, "/"-separated, no leading or trailing separator

    // One connection serves one server, port and share (letter case ignored, as the
    // servers do).
    std::string ConnectionKey() const;
    // smb://server[:port]/share[/rest], every byte outside letters, digits and "-._~/"
    // percent-encoded (libsmbclient decodes them; "?" would start its options).
    std::string Url() const;
    // The same address with name appended below rest.
    SmbAddress Below(std::string_view name) const;
};

// Nothing for a text that is not a share path or names no share.
std::optional<SmbAddress> ParseSmbPath(std::string_view path);

}  // namespace ferrolin
