// SyncCheck: when an automatic synchronisation is due, how failures are counted, and
// what unusable settings do.
#include "time_sync_fixture.h"

namespace ferrolin::test {
namespace {

class SyncCheckTest : public TimeSyncTest {
protected:
    SyncCheckTest() {
        // An SNTP server that counts requests, telling the fixed time.
        sync.Settings.Protocol = time_sync_panel::kProtocolSntp;
        sync.Settings.Server = sntpServer.Address();
        sync.Settings.Enable = true;
        sync.Settings.MaxCorrection = "1";
        clock.Set(ServerLocal());
    }

    UdpResponder sntpServer{[](const std::vector<uint8_t>& request) -> std::optional<std::vector<uint8_t>> {
        return SntpAnswer(request, kServerUnix);
    }};
};

TEST_F(SyncCheckTest, DisabledDoesNothing) {
    sync.Settings.Enable = false;
    sync.SyncTimeFailed = 3;
    EXPECT_EQ(sync.SyncCheck(), 0);
    EXPECT_EQ(sntpServer.Requests(), 0);
    EXPECT_EQ(sync.TimeSyncNext, 0);
    EXPECT_EQ(sync.SyncTimeFailed, 3);
    EXPECT_TRUE(setter.moments.empty());
}

TEST_F(SyncCheckTest, FirstCheckIsDueAtOnceThenAfterTheInterval) {
    const TDateTime t0 = clock.Now();
    EXPECT_EQ(sync.SyncCheck(), 0);
    EXPECT_EQ(sntpServer.Requests(), 1);
    EXPECT_EQ(setter.moments.size(), 1u);
    EXPECT_DOUBLE_EQ(sync.TimeSyncNext, t0 + kOneHour);

    // Not later than TimeSyncNext: nothing, also at exactly that moment.
    for (TDateTime at : {t0 + 30 * kOneMinute, t0 + kOneHour}) {
        clock.Set(at);
        EXPECT_EQ(sync.SyncCheck(), 0);
    }
    EXPECT_EQ(sntpServer.Requests(), 1);

    clock.Set(t0 + kOneHour + kOneSecond);
    sync.Settings.MaxCorrection = "0";  // the scripted server's time stands still
    EXPECT_EQ(sync.SyncCheck(), 0);
    EXPECT_EQ(sntpServer.Requests(), 2);
}

TEST_F(SyncCheckTest, IntervalRules) {
    struct Case {
        const char* interval;
        int result;
        double next;  // TimeSyncNext - t0, in days
    };
    const Case cases[] = {
        {"01:00", 0, kOneHour},
        {"02:30", 0, 2.5 * kOneHour},
        {"00:00", 0, 0},  // due again at the next moment
        {"23:59", 0, 23 * kOneHour + 59 * kOneMinute},
        {"24:00", -2, kOneHour},
        {"25:00", -2, kOneHour},
        {"ab:cd", -2, kOneHour},
        {"", -2, kOneHour},
        {"01:00:00", -2, kOneHour},
    };
    int requests = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        sync.Settings.Interval = c.interval;
        sync.TimeSyncNext = 0;
        setter.moments.clear();
        const TDateTime t0 = clock.Now();
        EXPECT_EQ(sync.SyncCheck(), c.result);
        // An unusable interval is found only after the synchronisation happened.
        EXPECT_EQ(sntpServer.Requests(), ++requests);
        EXPECT_EQ(setter.moments.size(), 1u);
        EXPECT_EQ(sync.SyncTimeFailed, 0);
        EXPECT_NEAR(sync.TimeSyncNext - t0, c.next, kOneMillisecond / 10);
    }
    // "00:00": every later check is due again.
    sync.Settings.Interval = "00:00";
    sync.TimeSyncNext = 0;
    sync.SyncCheck();
    clock.Advance(kOneMillisecond);
    sync.SyncCheck();
    EXPECT_EQ(sntpServer.Requests(), requests + 2);
}

TEST_F(SyncCheckTest, UnusableOffsetOrLimitQueriesNothing) {
    struct Case {
        const char* offset;
        const char* limit;
    };
    const Case cases[] = {{"abc", "1"}, {"", "1"}, {"1.5", "1"}, {"0", "x"}, {"0", "99999999999"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.offset) + " / " + c.limit);
        sync.Settings.TimeOffset = c.offset;
        sync.Settings.MaxCorrection = c.limit;
        sync.TimeSyncNext = 0;
        sync.SyncTimeFailed = 2;
        EXPECT_EQ(sync.SyncCheck(), -2);
        EXPECT_EQ(sntpServer.Requests(), 0);
        EXPECT_EQ(sync.SyncTimeFailed, 2);
        EXPECT_NEAR(sync.TimeSyncNext - clock.Now(), kOneHour, kOneMillisecond / 10);
    }
}

TEST_F(SyncCheckTest, SettingsWithBlanksAndSignsAreUsable) {
    sync.Settings.TimeOffset = " -250 ";
    sync.Settings.MaxCorrection = "+2";
    EXPECT_EQ(sync.SyncCheck(), 0);
    ASSERT_EQ(setter.moments.size(), 1u);
    EXPECT_LT(std::chrono::abs(setter.moments[0] - ServerMoment(-250)),
              std::chrono::milliseconds(500));
}

TEST_F(SyncCheckTest, FailuresCountUntilASuccess) {
    sync.Settings.Interval = "00:00";
    const std::string good = sync.Settings.Server;
    sync.Settings.Server = "127.0.0.1:" + std::to_string(FreeLoopbackPort(true));
    EXPECT_EQ(sync.SyncCheck(), 1);
    clock.Advance(kOneSecond);
    EXPECT_EQ(sync.SyncCheck(), 2);
    EXPECT_EQ(sync.LastError, kTimeSyncFailed);

    // A difference beyond the limit is a failure too.
    sync.Settings.Server = good;
    clock.Set(ServerLocal() + 10 * kOneMinute);
    EXPECT_EQ(sync.SyncCheck(), 3);
    EXPECT_EQ(sync.LastError, kOutOfRangeForCorrection);

    sync.TimeSyncNext = 0;
    clock.Set(ServerLocal() + 10 * kOneSecond);
    EXPECT_EQ(sync.SyncCheck(), 0);
    EXPECT_EQ(sync.SyncTimeFailed, 0);
    EXPECT_EQ(sync.LastError, "");
}

TEST_F(SyncCheckTest, FailureAndUnusableIntervalStillCounts) {
    sync.Settings.Interval = "25:00";
    sync.Settings.Server = "127.0.0.1:" + std::to_string(FreeLoopbackPort(true));
    EXPECT_EQ(sync.SyncCheck(), -2);
    EXPECT_EQ(sync.SyncTimeFailed, 1);
}

}  // namespace
}  // namespace ferrolin::test
