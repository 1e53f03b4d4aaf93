// Time synchronisation as the rest of the program meets it: armed at start and day
// change, tried once by the run driver, and against real time servers.
#include "remote/time_sync_run.h"

#include "station/station.h"
#include "support/temp_dir.h"
#include "time_sync_fixture.h"

namespace ferrolin::test {
namespace {

class TimeSyncRunTest : public ::testing::Test {
protected:
    TimeSyncRunTest() {
        station.SyncTimeF.UseClockSetter(setter);
        station.SyncTimeF.Settings.Protocol = time_sync_panel::kProtocolTime;
        station.SyncTimeF.Settings.Server = timeServer.Address();
        clock.Set(ServerLocal());
    }

    TempDir dir;
    RecordingSurfaces surfaces;
    FakeClock clock;
    FakeClockSetter setter;
    TcpResponder timeServer{TimeProtocolAnswer(kServerUnix)};
    Station station{dir.path(), surfaces, clock};
};

TEST_F(TimeSyncRunTest, ArmingFollowsTheEnableBox) {
    for (bool enable : {true, false}) {
        station.SyncTimeF.Settings.Enable = enable;
        station.SyncTimeNow = !enable;
        ArmTimeSync(station);
        EXPECT_EQ(station.SyncTimeNow, enable);
    }
}

TEST_F(TimeSyncRunTest, BeforeTransferTriesOnceAndClearsTheFlag) {
    station.SyncTimeF.Settings.Enable = true;
    ArmTimeSync(station);
    EXPECT_EQ(SyncTimeBeforeTransfer(station), 0);
    EXPECT_EQ(surfaces.statusTexts,
              (std::vector<std::string>{"Try sync time...", "sync time successful"}));
    EXPECT_EQ(setter.moments.size(), 1u);
    EXPECT_FALSE(station.SyncTimeNow);

    // The next job of the same day does not try again.
    surfaces.statusTexts.clear();
    EXPECT_EQ(SyncTimeBeforeTransfer(station), 0);
    EXPECT_TRUE(surfaces.statusTexts.empty());
    EXPECT_EQ(setter.moments.size(), 1u);
}

TEST_F(TimeSyncRunTest, BeforeTransferReportsAFailure) {
    station.SyncTimeF.Settings.Enable = true;
    station.SyncTimeF.Settings.MaxCorrection = "1";
    clock.Set(ServerLocal() + kOneHour);  // beyond the limit
    station.SyncTimeNow = true;
    EXPECT_EQ(SyncTimeBeforeTransfer(station), 1);
    EXPECT_EQ(surfaces.statusTexts.back(), "sync time failed");
    EXPECT_FALSE(station.SyncTimeNow);
}

TEST_F(TimeSyncRunTest, StationDoesNotSetTheClockUnlessAFaceWiresItIn) {
    Station unwired(dir.path(), surfaces, clock);
    unwired.SyncTimeF.Settings = station.SyncTimeF.Settings;
    EXPECT_FALSE(unwired.SyncTimeF.SyncNow(false));
    EXPECT_NE(unwired.SyncTimeF.LastError.find("not enabled"), std::string::npos);
}

// Against real servers, with this machine's real clock as "now".
class RealServerTest : public ::testing::Test {
protected:
    RecordingSurfaces surfaces;
    FakeClockSetter setter;
    TSyncTimeF sync{surfaces, SystemClock(), setter};
};

TEST_F(RealServerTest, ChronyWithinOneMinuteIsApplied) {
    if (!ChronyServer::Available()) GTEST_SKIP() << "chronyd is not installed";
    ChronyServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    sync.Settings.Protocol = time_sync_panel::kProtocolSntp;
    const auto before = std::chrono::system_clock::now();
    ASSERT_TRUE(sync.SyncTime(server.Address(), false, 1000, 1)) << sync.LastOutcome.Detail;
    const auto after = std::chrono::system_clock::now();
    ASSERT_EQ(setter.moments.size(), 1u);
    // The server's time (this machine's clock) plus the offset of one second.
    EXPECT_GE(setter.moments[0], before + std::chrono::milliseconds(900));
    EXPECT_LE(setter.moments[0], after + std::chrono::milliseconds(1100));
    EXPECT_NEAR(static_cast<double>(sync.LastOutcome.DifferenceMs), 1000.0, 500.0);
}

TEST_F(RealServerTest, UnsynchronisedChronyFails) {
    if (!ChronyServer::Available()) GTEST_SKIP() << "chronyd is not installed";
    ChronyServer server(/*synchronised=*/false);
    ASSERT_TRUE(server.Ready()) << server.Log();
    sync.Settings.Protocol = time_sync_panel::kProtocolSntp;
    EXPECT_FALSE(sync.SyncTime(server.Address(), false, 0, 0));
    EXPECT_EQ(sync.LastError, kTimeSyncFailed);
    EXPECT_TRUE(setter.moments.empty());
}

TEST_F(RealServerTest, XinetdTimeServiceIsApplied) {
    if (!XinetdTimeServer::Available()) GTEST_SKIP() << "xinetd is not installed";
    XinetdTimeServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    sync.Settings.Protocol = time_sync_panel::kProtocolTime;
    ASSERT_TRUE(sync.SyncTime(server.Address(), false, 0, 1)) << sync.LastOutcome.Detail;
    ASSERT_EQ(setter.moments.size(), 1u);
    // Whole seconds only: up to one second behind.
    EXPECT_LT(std::chrono::abs(setter.moments[0] - std::chrono::system_clock::now()),
              std::chrono::seconds(3));
}

}  // namespace
}  // namespace ferrolin::test
