// Time protocol client (RFC 868 over TCP): the server sends four bytes and closes.
#include <array>

#include "platform/net_socket.h"
#include "protocols/host_port.h"
#include "protocols/ntp_timestamp.h"
#include "protocols/time_query.h"

namespace ferrolin {

TimeQueryResult QueryTimeProtocol(const std::string& server, std::chrono::milliseconds timeout) {
    TimeQueryResult result;
    auto address = SplitHostPort(server, kTimeProtocolPort);
    if (!address) {
        result.error = "invalid server address \"" + server + "\"";
        return result;
    }
    auto socket = platform::ConnectSocket(address->host, address->port,
                                          platform::SocketKind::Stream, timeout, result.error);
    if (!socket) return result;

    // Read until the server closes (or the time-out); one byte of room beyond the four
    // expected ones tells an over-long answer from a good one.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::array<uint8_t, 5> buffer{};
    size_t filled = 0;
    while (filled < buffer.size()) {
        std::string readError;
        auto received = platform::ReceiveBytes(
            *socket, std::span<uint8_t>(buffer.data() + filled, buffer.size() - filled),
            deadline, readError);
        if (!received) {
            // A server that sent its four bytes but keeps the connection open still
            // answered; anything less is no answer.
            if (filled == 4) break;
            result.error = filled == 0 ? readError : "short answer (" +
                                                         std::to_string(filled) + " bytes)";
            return result;
        }
        if (*received == 0) break;  // closed by the server
        filled += *received;
    }
    std::string parseError;
    result.time = ParseTimeProtocolReply(std::span<const uint8_t>(buffer.data(), filled),
                                         parseError);
    if (!result.time) result.error = "invalid answer from " + server + ": " + parseError;
    return result;
}

}  // namespace ferrolin
