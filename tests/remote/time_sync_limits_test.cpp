// SyncTime: the correction limit, the offset, the messages, and every way to fail.
#include <errno.h>

#include "common/datetime_format.h"
#include "time_sync_fixture.h"

namespace ferrolin::test {
namespace {

TEST_F(TimeSyncTest, CorrectionLimitRules) {
    ASSERT_TRUE(kClockRightsDropped || true);  // keeps the safety belt linked in
    struct Case {
        const char* what;
        int32_t limit;           // minutes
        double localAheadMs;     // this computer's clock minus the server's time
        int64_t offsetMs;
        bool corrected;
    };
    const Case cases[] = {
        {"no limit, 10 hours behind", 0, -36'000'000, 0, true},
        {"no limit, 10 hours ahead", 0, 36'000'000, 0, true},
        {"exactly the limit ahead", 5, 300'000, 0, false},
        {"exactly the limit behind", 5, -300'000, 0, false},
        {"one millisecond below the limit", 5, 299'999, 0, true},
        {"one second beyond the limit", 5, -301'000, 0, false},
        {"no difference at all, limit 1", 1, 0, 0, true},
        {"negative limit, no difference", -1, 0, 0, false},
        {"negative limit, ten minutes", -1, 600'000, 0, false},
        {"the offset counts: exactly one minute", 1, 0, 60'000, false},
        {"the offset counts: it closes the gap", 1, 90'000, 60'000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setter.moments.clear();
        clock.Set(ServerLocal() + c.localAheadMs * kOneMillisecond);
        const bool result = sync.SyncTime(sync.Settings.Server, false, c.offsetMs, c.limit);
        EXPECT_EQ(result, c.corrected);
        if (c.corrected) {
            EXPECT_EQ(sync.LastError, "");
            ASSERT_EQ(setter.moments.size(), 1u);
            EXPECT_EQ(setter.moments[0], ServerMoment(c.offsetMs));
        } else {
            EXPECT_EQ(sync.LastError, kOutOfRangeForCorrection);
            EXPECT_TRUE(setter.moments.empty());
        }
        EXPECT_TRUE(sync.LastOutcome.Answered);
        EXPECT_EQ(sync.LastOutcome.DifferenceMs,
                  c.offsetMs - static_cast<int64_t>(c.localAheadMs));
        EXPECT_TRUE(surfaces.questions.empty());  // not notified
    }
}

TEST_F(TimeSyncTest, OffsetMovesTheTimeThatIsSet) {
    for (int64_t offset : {int64_t{1000}, int64_t{-1500}, int64_t{0}}) {
        SCOPED_TRACE(offset);
        setter.moments.clear();
        ASSERT_TRUE(sync.SyncTime(sync.Settings.Server, false, offset, 0));
        ASSERT_EQ(setter.moments.size(), 1u);
        EXPECT_EQ(setter.moments[0], ServerMoment(offset));
        EXPECT_NEAR(sync.LastOutcome.ServerTime, ServerLocal() + offset * kOneMillisecond,
                    kOneMillisecond / 10);
    }
}

TEST_F(TimeSyncTest, NotifyShowsTimeAndDifferenceAfterSuccess) {
    clock.Set(ServerLocal() + 30 * kOneSecond);
    ASSERT_TRUE(sync.SyncTime(sync.Settings.Server, true, 0, 0));
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].buttons, Buttons::Ok);
    const std::string expected = DateTimeToStr(ServerLocal()) + "\n" +
                                 FormatDays(ServerLocal()) + "\n" +
                                 FormatDays(ServerLocal() - clock.Now());
    EXPECT_EQ(surfaces.questions[0].text, expected);
    // The last line: -30 seconds in days.
    EXPECT_NE(surfaces.questions[0].text.find("\n-0.000347222"), std::string::npos);
}

TEST_F(TimeSyncTest, NotifyShowsTheFailureText) {
    ASSERT_FALSE(sync.SyncTime(sync.Settings.Server, true, 0, -1));
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text, kOutOfRangeForCorrection);
}

TEST_F(TimeSyncTest, NoUsableAnswerIsTimeSyncFailed) {
    UdpResponder garbageUdp([](const std::vector<uint8_t>&) -> std::optional<std::vector<uint8_t>> {
        return std::vector<uint8_t>(48, 0xFF);
    });
    TcpResponder garbageTcp({'H', 'E', 'L', 'L', 'O', '\r', '\n'});
    TcpResponder zeroTcp({0, 0, 0, 0});
    struct Case {
        const char* what;
        int protocol;
        std::string server;
    };
    const Case cases[] = {
        {"nobody listening (UDP)", 0, "127.0.0.1:" + std::to_string(FreeLoopbackPort(true))},
        {"nobody listening (TCP)", 1, "127.0.0.1:" + std::to_string(FreeLoopbackPort(false))},
        {"garbage over UDP", 0, garbageUdp.Address()},
        {"garbage over TCP", 1, garbageTcp.Address()},
        {"zero time over TCP", 1, zeroTcp.Address()},
        {"bad port in the server text", 0, "127.0.0.1:http"},
        {"unknown protocol index", 7, timeServer.Address()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sync.Settings.Protocol = c.protocol;
        EXPECT_FALSE(sync.SyncTime(c.server, false, 0, 0));
        EXPECT_EQ(sync.LastError, kTimeSyncFailed);
        EXPECT_FALSE(sync.LastOutcome.Answered);
        EXPECT_FALSE(sync.LastOutcome.Detail.empty());
        EXPECT_TRUE(setter.moments.empty());
    }
}

TEST_F(TimeSyncTest, AnOffsetThatPushesTheTimeBefore1900IsNoTime) {
    // The Time protocol cannot say 1899, but an absurd offset can take it there.
    const int64_t wayBack = -int64_t{130} * 365 * 86'400'000;
    EXPECT_FALSE(sync.SyncTime(sync.Settings.Server, false, wayBack, 0));
    EXPECT_EQ(sync.LastError, kTimeSyncFailed);
    EXPECT_TRUE(setter.moments.empty());
}

TEST_F(TimeSyncTest, ClockThatCannotBeSetIsAFailureThatSaysWhy) {
    setter.result = EPERM;
    EXPECT_FALSE(sync.SyncTime(sync.Settings.Server, true, 0, 0));
    EXPECT_EQ(sync.LastError.rfind(std::string(kClockNotSet), 0), 0u) << sync.LastError;
    EXPECT_NE(sync.LastError.find("Operation not permitted"), std::string::npos);
    EXPECT_NE(sync.LastError.find("right to set the system clock"), std::string::npos);
    EXPECT_FALSE(sync.LastOutcome.ClockSet);
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text, sync.LastError);

    // And an automatic check counts it as a failure.
    sync.Settings.Enable = true;
    sync.Settings.MaxCorrection = "0";
    EXPECT_EQ(sync.SyncCheck(), 1);
}

TEST_F(TimeSyncTest, WithoutAWiredSetterNothingIsSet) {
    TimeSyncService unwired(surfaces, clock);
    unwired.Settings = sync.Settings;
    EXPECT_FALSE(unwired.SyncTime(unwired.Settings.Server, false, 0, 0));
    EXPECT_NE(unwired.LastError.find("not enabled"), std::string::npos) << unwired.LastError;
}

TEST_F(TimeSyncTest, AnErrorWhileSettingIsTheExceptionText) {
    setter.throws = true;
    EXPECT_FALSE(sync.SyncTime(sync.Settings.Server, false, 0, 0));
    EXPECT_EQ(sync.LastError, kExceptionInTimeSync);
}

TEST_F(TimeSyncTest, DryRunDecidesButSetsNothing) {
    sync.DryRun = true;
    EXPECT_TRUE(sync.SyncTime(sync.Settings.Server, false, 0, 0));
    EXPECT_EQ(sync.LastError, "");
    EXPECT_TRUE(setter.moments.empty());
    EXPECT_FALSE(sync.LastOutcome.ClockSet);
    // The limit still applies.
    clock.Set(ServerLocal() + 2 * kOneMinute);
    EXPECT_FALSE(sync.SyncTime(sync.Settings.Server, false, 0, 1));
    EXPECT_EQ(sync.LastError, kOutOfRangeForCorrection);
}

TEST(FormatDays, PanelNumberForm) {
    EXPECT_EQ(FormatDays(46365.5), "46365.5");
    EXPECT_EQ(FormatDays(0), "0");
    EXPECT_EQ(FormatDays(-1.0 / 86400.0), "-1.15740740740741E-5");
    EXPECT_EQ(FormatDays(46365.3145833333), "46365.3145833333");
}

}  // namespace
}  // namespace ferrolin::test
