#pragma once
// "host" or "host:port" as the operator types a server address.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

struct HostPort {
    std::string host;
    uint16_t port = 0;
};

// Splits a server text into host and port. Accepted: "name", "name:port", "1.2.3.4:port",
// "[v6-address]" and "[v6-address]:port"; a bare IPv6 address (more than one ":") is all
// host. Blanks around the text are ignored. Without a port, defaultPort is used. Returns
// nothing for an empty host or a port that is not a number from 1 to 65535.
std::optional<HostPort> SplitHostPort(std::string_view text, uint16_t defaultPort);

}  // namespace ferrolin
