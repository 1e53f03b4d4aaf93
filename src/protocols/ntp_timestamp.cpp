#include "protocols/ntp_timestamp.h"

namespace ferrolin {

namespace {

uint32_t ReadUint32(std::span<const uint8_t> bytes, size_t at) {
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
           (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
}

uint64_t ReadUint64(std::span<const uint8_t> bytes, size_t at) {
    return (uint64_t{ReadUint32(bytes, at)} << 32) | ReadUint32(bytes, at + 4);
}

// Field offsets of the 48-byte SNTP header.
constexpr size_t kOriginateAt = 24;
constexpr size_t kReceiveAt = 32;
constexpr size_t kTransmitAt = 40;

}  // namespace

std::chrono::system_clock::time_point NtpToTimePoint(uint32_t seconds, uint32_t fraction) {
    int64_t unixSeconds = int64_t{seconds} - kNtpToUnixSeconds;
    if ((seconds & 0x80000000u) == 0) unixSeconds += int64_t{1} << 32;  // era after 2036
    const int64_t nanos = static_cast<int64_t>((uint64_t{fraction} * 1'000'000'000ULL) >> 32);
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<
                                                 std::chrono::system_clock::duration>(
        std::chrono::seconds(unixSeconds) + std::chrono::nanoseconds(nanos)));
}

uint64_t TimePointToNtp(std::chrono::system_clock::time_point moment) {
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch());
    auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const uint64_t nanos = static_cast<uint64_t>((sinceEpoch - seconds).count());
    const uint64_t ntpSeconds = static_cast<uint64_t>(seconds.count() + kNtpToUnixSeconds);
    const uint64_t fraction = (nanos << 32) / 1'000'000'000ULL;
    return (ntpSeconds << 32) | (fraction & 0xffffffffULL);
}

std::array<uint8_t, kSntpPacketSize> BuildSntpRequest(uint64_t transmitStamp) {
    std::array<uint8_t, kSntpPacketSize> packet{};
    packet[0] = (0 << 6) | (4 << 3) | 3;  // no leap warning, version 4, client
    for (int i = 0; i < 8; ++i) {
        packet[kTransmitAt + i] = static_cast<uint8_t>(transmitStamp >> (56 - 8 * i));
    }
    return packet;
}

SntpParse ParseSntpReply(std::span<const uint8_t> bytes, uint64_t expectedOriginate) {
    SntpParse result;
    if (bytes.size() < kSntpPacketSize) {
        result.error = "short answer (" + std::to_string(bytes.size()) + " bytes)";
        return result;
    }
    const int leap = bytes[0] >> 6;
    const int version = (bytes[0] >> 3) & 7;
    const int mode = bytes[0] & 7;
    const int stratum = bytes[1];
    if (mode != 4) {
        result.error = "answer is not from a server (mode " + std::to_string(mode) + ")";
        return result;
    }
    if (version < 1 || version > 4) {
        result.error = "unknown protocol version " + std::to_string(version);
        return result;
    }
    if (leap == 3) {
        result.error = "server clock is not synchronised";
        return result;
    }
    if (stratum == 0 || stratum > 15) {
        result.error = stratum == 0 ? "server refused the request (kiss-o'-death)"
                                    : "server clock is not synchronised (stratum " +
                                          std::to_string(stratum) + ")";
        return result;
    }
    result.reply.receiveStamp = ReadUint64(bytes, kReceiveAt);
    result.reply.transmitStamp = ReadUint64(bytes, kTransmitAt);
    if (result.reply.receiveStamp == 0 || result.reply.transmitStamp == 0) {
        result.error = "answer carries no time";
        return result;
    }
    if (ReadUint64(bytes, kOriginateAt) != expectedOriginate) {
        result.verdict = SntpVerdict::Stale;
        result.error = "answer does not belong to our request";
        return result;
    }
    result.verdict = SntpVerdict::Valid;
    return result;
}

std::optional<std::chrono::system_clock::time_point> ParseTimeProtocolReply(
    std::span<const uint8_t> bytes, std::string& error) {
    if (bytes.size() != 4) {
        error = bytes.size() < 4 ? "short answer (" + std::to_string(bytes.size()) + " bytes)"
                                 : "answer longer than four bytes";
        return std::nullopt;
    }
    const uint32_t seconds = ReadUint32(bytes, 0);
    if (seconds == 0) {
        error = "answer carries no time";
        return std::nullopt;
    }
    return NtpToTimePoint(seconds);
}

}  // namespace ferrolin
