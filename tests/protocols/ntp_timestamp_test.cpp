#include "protocols/ntp_timestamp.h"

#include <gtest/gtest.h>

#include <vector>

namespace ferrolin {
namespace {

using std::chrono::system_clock;

int64_t UnixSeconds(system_clock::time_point t) {
    return std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
}

TEST(NtpTimestamp, EraRule) {
    // 2026-12-09 00:00:00 UTC
    EXPECT_EQ(UnixSeconds(NtpToTimePoint(1796774400u + 2208988800u)), 1796774400);
    // The last second before the 2036 wrap, and the first seconds after it.
    EXPECT_EQ(UnixSeconds(NtpToTimePoint(0xFFFFFFFFu)), 2085978495);
    EXPECT_EQ(UnixSeconds(NtpToTimePoint(0u + 1)), 2085978497);
    EXPECT_EQ(UnixSeconds(NtpToTimePoint(0x7FFFFFFFu)), int64_t{2085978496} + 0x7FFFFFFF);
    // The top bit set is the era 1968-2036.
    EXPECT_EQ(UnixSeconds(NtpToTimePoint(0x80000000u)), int64_t{0x80000000} - 2208988800LL);
}

TEST(NtpTimestamp, RoundTripKeepsSubSecondPrecision) {
    for (int64_t ns : {int64_t{0}, int64_t{1'500'000'000}, int64_t{1796774400'123'456'789}}) {
        const system_clock::time_point moment{
            std::chrono::duration_cast<system_clock::duration>(std::chrono::nanoseconds(ns))};
        const uint64_t stamp = TimePointToNtp(moment);
        const auto back = NtpToTimePoint(static_cast<uint32_t>(stamp >> 32),
                                         static_cast<uint32_t>(stamp));
        EXPECT_LE(std::chrono::abs(back - moment), std::chrono::microseconds(1)) << ns;
    }
}

TEST(SntpRequest, IsAVersion4ClientPacketCarryingOurStamp) {
    const auto packet = BuildSntpRequest(0x0102030405060708ULL);
    EXPECT_EQ(packet[0], 0x23);
    EXPECT_EQ(packet[40], 0x01);
    EXPECT_EQ(packet[47], 0x08);
}

// A valid server answer to a request stamped 0x1111...; tests spoil single bytes.
std::vector<uint8_t> GoodReply() {
    std::vector<uint8_t> r(48, 0);
    r[0] = 0x24;  // version 4, server
    r[1] = 2;
    for (int i = 24; i < 32; ++i) r[i] = 0x11;  // originate
    r[32] = 0xEB;                               // receive (2025)
    r[33] = 0x01;
    r[40] = 0xEB;  // transmit
    r[41] = 0x02;
    return r;
}
constexpr uint64_t kOurStamp = 0x1111111111111111ULL;

TEST(SntpReply, Validation) {
    struct Case {
        const char* what;
        void (*spoil)(std::vector<uint8_t>&);
        SntpVerdict verdict;
    };
    const Case cases[] = {
        {"good", [](std::vector<uint8_t>&) {}, SntpVerdict::Valid},
        {"longer with extension", [](std::vector<uint8_t>& r) { r.resize(68, 0); },
         SntpVerdict::Valid},
        {"short", [](std::vector<uint8_t>& r) { r.resize(47); }, SntpVerdict::Invalid},
        {"empty", [](std::vector<uint8_t>& r) { r.clear(); }, SntpVerdict::Invalid},
        {"client mode", [](std::vector<uint8_t>& r) { r[0] = 0x23; }, SntpVerdict::Invalid},
        {"broadcast mode", [](std::vector<uint8_t>& r) { r[0] = 0x25; }, SntpVerdict::Invalid},
        {"version 0", [](std::vector<uint8_t>& r) { r[0] = 0x04; }, SntpVerdict::Invalid},
        {"version 3", [](std::vector<uint8_t>& r) { r[0] = 0x1C; }, SntpVerdict::Valid},
        {"leap alarm", [](std::vector<uint8_t>& r) { r[0] = 0xE4; }, SntpVerdict::Invalid},
        {"stratum 0", [](std::vector<uint8_t>& r) { r[1] = 0; }, SntpVerdict::Invalid},
        {"stratum 16", [](std::vector<uint8_t>& r) { r[1] = 16; }, SntpVerdict::Invalid},
        {"stratum 15", [](std::vector<uint8_t>& r) { r[1] = 15; }, SntpVerdict::Valid},
        {"zero transmit",
         [](std::vector<uint8_t>& r) { std::fill(r.begin() + 40, r.begin() + 48, 0); },
         SntpVerdict::Invalid},
        {"zero receive",
         [](std::vector<uint8_t>& r) { std::fill(r.begin() + 32, r.begin() + 40, 0); },
         SntpVerdict::Invalid},
        {"other originate", [](std::vector<uint8_t>& r) { r[31] = 0x12; }, SntpVerdict::Stale},
        {"broken and other originate",
         [](std::vector<uint8_t>& r) {
             r[1] = 0;
             r[31] = 0x12;
         },
         SntpVerdict::Invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto reply = GoodReply();
        c.spoil(reply);
        const SntpParse parsed = ParseSntpReply(reply, kOurStamp);
        EXPECT_EQ(parsed.verdict, c.verdict);
        EXPECT_EQ(parsed.error.empty(), c.verdict == SntpVerdict::Valid) << parsed.error;
    }
}

TEST(TimeProtocolReply, Validation) {
    std::string error;
    const std::vector<uint8_t> good = {0xEB, 0x00, 0x00, 0x00};
    auto t = ParseTimeProtocolReply(good, error);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(UnixSeconds(*t), int64_t{0xEB000000} - 2208988800LL);

    const std::vector<std::vector<uint8_t>> bad = {
        {}, {0xEB}, {0xEB, 0, 0}, {0xEB, 0, 0, 0, 0}, {0, 0, 0, 0}};
    for (const auto& reply : bad) {
        error.clear();
        EXPECT_FALSE(ParseTimeProtocolReply(reply, error).has_value()) << reply.size();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace ferrolin
