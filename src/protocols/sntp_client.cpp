// SNTP client (RFC 4330): one request over UDP, one validated answer.
#include <array>

#include "platform/net_socket.h"
#include "protocols/host_port.h"
#include "protocols/ntp_timestamp.h"
#include "protocols/time_query.h"

namespace ferrolin {

namespace {

// Signed difference a - b of two 64-bit NTP stamps, as a duration (wraps correctly
// across an era change).
std::chrono::nanoseconds StampDifference(uint64_t a, uint64_t b) {
    const auto diff = static_cast<int64_t>(a - b);  // 32.32 fixed point seconds
    const int64_t wholeSeconds = diff >> 32;
    const int64_t fraction = diff & 0xffffffffLL;
    return std::chrono::seconds(wholeSeconds) +
           std::chrono::nanoseconds((fraction * 1'000'000'000LL) >> 32);
}

std::chrono::system_clock::time_point StampToTimePoint(uint64_t stamp) {
    return NtpToTimePoint(static_cast<uint32_t>(stamp >> 32), static_cast<uint32_t>(stamp));
}

}  // namespace

TimeQueryResult QuerySntp(const std::string& server, std::chrono::milliseconds timeout) {
    TimeQueryResult result;
    auto address = SplitHostPort(server, kSntpPort);
    if (!address) {
        result.error = "invalid server address \"" + server + "\"";
        return result;
    }
    auto socket = platform::ConnectSocket(address->host, address->port,
                                          platform::SocketKind::Datagram, timeout, result.error);
    if (!socket) return result;

    // Our transmit stamp comes back as the reply's originate stamp: the only way to tell
    // the answer to this request from any other datagram.
    const uint64_t requestStamp = TimePointToNtp(std::chrono::system_clock::now());
    const auto request = BuildSntpRequest(requestStamp);
    const auto sentAt = std::chrono::steady_clock::now();
    const auto deadline = sentAt + timeout;
    if (!platform::SendBytes(*socket, request, result.error)) return result;

    std::array<uint8_t, 512> buffer{};
    for (;;) {
        auto received = platform::ReceiveBytes(*socket, buffer, deadline, result.error);
        if (!received) return result;
        const auto arrivedAt = std::chrono::steady_clock::now();
        SntpParse parsed =
            ParseSntpReply(std::span<const uint8_t>(buffer.data(), *received), requestStamp);
        if (parsed.verdict == SntpVerdict::Stale) continue;  // not ours: keep listening
        if (parsed.verdict == SntpVerdict::Invalid) {
            result.error = "invalid answer from " + server + ": " + parsed.error;
            return result;
        }
        // The server's time when the answer arrived here: its transmit time plus half the
        // network delay (round trip measured on our monotonic clock, less the time the
        // server spent on the request).
        const auto serverTime = StampDifference(parsed.reply.transmitStamp,
                                                parsed.reply.receiveStamp);
        auto delay = std::chrono::duration_cast<std::chrono::nanoseconds>(arrivedAt - sentAt) -
                     serverTime;
        if (delay.count() < 0) delay = std::chrono::nanoseconds(0);
        result.time = StampToTimePoint(parsed.reply.transmitStamp) +
                      std::chrono::duration_cast<std::chrono::system_clock::duration>(delay / 2);
        result.error.clear();
        return result;
    }
}

}  // namespace ferrolin
