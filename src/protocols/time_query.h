#pragma once
// Clients for the two time-server protocols the program offers: SNTP over UDP and the
// Time protocol (RFC 868) over TCP. Each asks one server once and gives its time, or no
// time and the reason. A reply that does not follow the protocol counts as no time.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ferrolin {

inline constexpr uint16_t kSntpPort = 123;
inline constexpr uint16_t kTimeProtocolPort = 37;
// How long the clients wait for a server (connect and answer each).
inline constexpr std::chrono::milliseconds kTimeServerTimeout{1000};

struct TimeQueryResult {
    // The server's time (on the UTC time line), present only for a valid answer.
    std::optional<std::chrono::system_clock::time_point> time;
    // Why there is no time; empty when there is one.
    std::string error;
};

// server: "host" or "host:port" (default port 123 for SNTP, 37 for the Time protocol).
TimeQueryResult QuerySntp(const std::string& server,
                          std::chrono::milliseconds timeout = kTimeServerTimeout);
TimeQueryResult QueryTimeProtocol(const std::string& server,
                                  std::chrono::milliseconds timeout = kTimeServerTimeout);

}  // namespace ferrolin
