// Any bytes as a time server's answer: the SNTP and RFC 868 reply checks must never
// crash, and whatever they accept must be a well-formed server answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "protocols/ntp_timestamp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    uint64_t originate = 0;
    if (size >= 32) {
        for (size_t i = 24; i < 32; ++i) originate = (originate << 8) | data[i];
    }
    const ferrolin::SntpParse parsed = ferrolin::ParseSntpReply(bytes, originate);
    if (parsed.verdict == ferrolin::SntpVerdict::Valid) {
        const int mode = data[0] & 7;
        const int stratum = data[1];
        if (size < 48 || mode != 4 || stratum == 0 || stratum > 15 ||
            parsed.reply.transmitStamp == 0) {
            std::abort();
        }
    }
    std::string error;
    const auto time = ferrolin::ParseTimeProtocolReply(bytes, error);
    if (time.has_value() != error.empty()) std::abort();
    if (time && size != 4) std::abort();
    return 0;
}
