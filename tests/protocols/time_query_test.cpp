// The SNTP and Time protocol clients against real servers (chronyd, xinetd) and against
// scripted responders that misbehave.
#include <gtest/gtest.h>

#include "protocols/time_query.h"
#include "support/time_servers.h"

namespace ferrolin {
namespace {

using namespace std::chrono_literals;
using test::ChronyServer;
using test::TcpResponder;
using test::UdpResponder;
using test::XinetdTimeServer;

std::chrono::milliseconds DistanceToNow(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::abs(t - std::chrono::system_clock::now()));
}

int64_t NowUnix() {
    return std::chrono::floor<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TEST(SntpClient, GetsTheTimeFromChrony) {
    if (!ChronyServer::Available()) GTEST_SKIP() << "chronyd is not installed";
    ChronyServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    const TimeQueryResult result = QuerySntp(server.Address());
    ASSERT_TRUE(result.time.has_value()) << result.error;
    EXPECT_TRUE(result.error.empty());
    // chronyd serves this machine's own clock.
    EXPECT_LT(DistanceToNow(*result.time), 2s);
}

TEST(SntpClient, UnsynchronisedChronyGivesNoTime) {
    if (!ChronyServer::Available()) GTEST_SKIP() << "chronyd is not installed";
    ChronyServer server(/*synchronised=*/false);
    ASSERT_TRUE(server.Ready()) << server.Log();
    const TimeQueryResult result = QuerySntp(server.Address());
    EXPECT_FALSE(result.time.has_value());
    EXPECT_NE(result.error.find("invalid answer"), std::string::npos) << result.error;
}

TEST(TimeProtocolClient, GetsTheTimeFromXinetd) {
    if (!XinetdTimeServer::Available()) GTEST_SKIP() << "xinetd is not installed";
    XinetdTimeServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    const TimeQueryResult result = QueryTimeProtocol(server.Address());
    ASSERT_TRUE(result.time.has_value()) << result.error;
    EXPECT_LT(DistanceToNow(*result.time), 2s);
}

TEST(TimeClients, NobodyListening) {
    const std::string udp = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort(true));
    const std::string tcp = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false));
    for (const TimeQueryResult& result : {QuerySntp(udp), QueryTimeProtocol(tcp)}) {
        EXPECT_FALSE(result.time.has_value());
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(TimeClients, BadServerTextQueriesNothing) {
    for (const TimeQueryResult& result :
         {QuerySntp("127.0.0.1:99999"), QueryTimeProtocol("host:abc"), QuerySntp("")}) {
        EXPECT_FALSE(result.time.has_value());
        EXPECT_NE(result.error.find("invalid server address"), std::string::npos);
    }
}

TEST(SntpClient, SilentServerTimesOutAfterAboutOneSecond) {
    UdpResponder silent([](const std::vector<uint8_t>&) { return std::nullopt; });
    const auto start = std::chrono::steady_clock::now();
    const TimeQueryResult result = QuerySntp(silent.Address());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(result.time.has_value());
    EXPECT_NE(result.error.find("time-out"), std::string::npos) << result.error;
    // One request, no retries, and the client waited out its time-out before giving up.
    EXPECT_EQ(silent.Requests(), 1);
    EXPECT_GE(took, 900ms);
}

TEST(SntpClient, MalformedAnswersGiveNoTime) {
    struct Case {
        const char* what;
        std::optional<std::vector<uint8_t>> (*answer)(const std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"garbage text",
         [](const std::vector<uint8_t>&) -> std::optional<std::vector<uint8_t>> {
             const std::string text = "HELLO, this is not a time server\r\n";
             return std::vector<uint8_t>(text.begin(), text.end());
         }},
        {"short reply",
         [](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
             auto a = test::SntpAnswer(request, NowUnix());
             a.resize(40);
             return a;
         }},
        {"client mode echoed",
         [](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
             return request;
         }},
        {"kiss-o'-death (stratum 0)",
         [](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
             auto a = test::SntpAnswer(request, NowUnix());
             a[1] = 0;
             return a;
         }},
        {"zero transmit time",
         [](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
             auto a = test::SntpAnswer(request, NowUnix());
             std::fill(a.begin() + 40, a.end(), 0);
             return a;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UdpResponder responder(c.answer);
        const TimeQueryResult result = QuerySntp(responder.Address());
        EXPECT_FALSE(result.time.has_value());
        // Refused as it arrives, not ignored until the time-out: the error names the
        // answer, and the single request was the only one.
        EXPECT_NE(result.error.find("invalid answer"), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find("time-out"), std::string::npos) << result.error;
        EXPECT_EQ(responder.Requests(), 1);
    }
}

TEST(SntpClient, AnswerToAnotherRequestIsIgnored) {
    UdpResponder forger([](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
        auto a = test::SntpAnswer(request, NowUnix());
        a[31] ^= 0xFF;  // originate no longer ours
        return a;
    });
    const TimeQueryResult result = QuerySntp(forger.Address());
    EXPECT_FALSE(result.time.has_value());
    EXPECT_NE(result.error.find("time-out"), std::string::npos) << result.error;
}

TEST(SntpClient, ReadsAScriptedTime) {
    constexpr int64_t kTime = 1796774400;  // 2026-12-09 00:00:00 UTC
    UdpResponder responder([](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
        return test::SntpAnswer(request, kTime);
    });
    const TimeQueryResult result = QuerySntp(responder.Address());
    ASSERT_TRUE(result.time.has_value()) << result.error;
    const auto expected = std::chrono::system_clock::time_point(std::chrono::seconds(kTime));
    // Plus half the round trip on loopback, however slow this machine is today: the
    // tolerance only has to tell the scripted time from this machine's clock.
    EXPECT_GE(*result.time, expected);
    EXPECT_LT(*result.time - expected, 1min);
}

TEST(TimeProtocolClient, MalformedAnswersGiveNoTime) {
    const std::vector<std::vector<uint8_t>> answers = {
        {},                          // closed without a word
        {0xEB, 0x01},                // short
        {0xEB, 0x01, 0x02, 0x03, 0x04, 0x05},  // longer than four bytes
        {0, 0, 0, 0},                // zero
    };
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.size());
        TcpResponder responder(answer);
        const TimeQueryResult result = QueryTimeProtocol(responder.Address());
        EXPECT_FALSE(result.time.has_value());
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(TimeProtocolClient, FourBytesOnAConnectionLeftOpenStillCount) {
    TcpResponder responder(test::TimeProtocolAnswer(NowUnix()), /*closeAfterSend=*/false);
    const TimeQueryResult result = QueryTimeProtocol(responder.Address());
    ASSERT_TRUE(result.time.has_value()) << result.error;
    EXPECT_LT(DistanceToNow(*result.time), 5s);
}

TEST(TimeProtocolClient, ServerThatNeverAnswersTimesOut) {
    TcpResponder mute({}, /*closeAfterSend=*/false);
    // The client gives up by itself (a hang would be stopped by the test's time limit).
    const TimeQueryResult result = QueryTimeProtocol(mute.Address());
    EXPECT_FALSE(result.time.has_value());
    EXPECT_NE(result.error.find("time-out"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace ferrolin
