#pragma once
// Time stamps of the NTP family: seconds since 1900-01-01 00:00 UTC in 32 bits, with a
// 32-bit binary fraction in SNTP. The 32-bit seconds wrap in February 2036; a value with
// the top bit clear cannot be a time of the years 1968-2036 that a live server would send,
// so it is read as the era after the wrap (2036-2104).
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ferrolin {

// Seconds between 1900-01-01 and 1970-01-01.
inline constexpr int64_t kNtpToUnixSeconds = 2208988800LL;

std::chrono::system_clock::time_point NtpToTimePoint(uint32_t seconds, uint32_t fraction = 0);
// The 64-bit NTP form of a moment (seconds in the high half).
uint64_t TimePointToNtp(std::chrono::system_clock::time_point moment);

inline constexpr size_t kSntpPacketSize = 48;

// A client request (version 4, mode 3) carrying transmitStamp as its transmit time stamp,
// which the server echoes as the originate time stamp of its reply.
std::array<uint8_t, kSntpPacketSize> BuildSntpRequest(uint64_t transmitStamp);

struct SntpReply {
    uint64_t receiveStamp = 0;   // when the server got the request (server clock)
    uint64_t transmitStamp = 0;  // when the server sent the reply (server clock)
};

enum class SntpVerdict {
    Valid,
    Stale,    // a well-formed answer, but not to our request (an old or forged datagram)
    Invalid,  // not a usable answer at all
};

struct SntpParse {
    SntpVerdict verdict = SntpVerdict::Invalid;
    SntpReply reply;    // filled when Valid
    std::string error;  // the reason when not Valid
};

// Checks a reply the way RFC 4330 asks a client to: at least 48 bytes, mode 4 (server),
// version 1-4, leap indicator not "alarm" (unsynchronised), stratum 1-15 (0 is a
// kiss-o'-death, 16 unsynchronised), receive and transmit time stamps not zero, and last
// the originate time stamp equal to the transmit stamp of our request.
SntpParse ParseSntpReply(std::span<const uint8_t> bytes, uint64_t expectedOriginate);

// The RFC 868 answer: exactly four bytes, seconds since 1900, not zero.
std::optional<std::chrono::system_clock::time_point> ParseTimeProtocolReply(
    std::span<const uint8_t> bytes, std::string& error);

}  // namespace ferrolin
