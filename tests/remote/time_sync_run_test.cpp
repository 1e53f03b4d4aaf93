// Time synchronisation as the rest of the program meets it: its settings read with the
// configuration, armed at start and day change by the automatic mode's hook, tried once
// by the run driver; and against real time servers.
#include <algorithm>

#include "station/run_driver.h"
#include "schedule/auto_mode.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "time_sync_fixture.h"

namespace ferrolin::test {
namespace {

class TimeSyncRunTest : public ::testing::Test {
protected:
    TimeSyncRunTest() {
        station.TimeSync.UseClockSetter(setter);
        clock.Set(ServerLocal());
        WriteFile(src / "a.txt", "alpha");
    }

    // One folder job and the time-sync section, read the way the program reads them.
    void Configure(bool enable, const std::string& maxCorrection) {
        WriteJobIni(home.path(), {},
                    {{{"SendeVerzeichnis", src.path()}, {"EmpfangsVerzeichnis", dst.path()}}});
        const std::string ini = home / "Ferrolin.INI";
        WriteFile(ini, ReadFile(ini) + "[InternetDateTimeSync]\nEnable=" +
                           (enable ? "1" : "0") + "\nProtocol=1\nServer=" +
                           timeServer.Address() + "\nMaxCorrection=" + maxCorrection + "\n");
        ReadConfig(station);
    }

    // The automatic mode's start-up step: SyncTimeNow from the "Enable" box.
    void Arm() { StationAutoModeHooks(station).armTimeSync(); }

    size_t Count(const std::string& status) const {
        return static_cast<size_t>(
            std::count(surfaces.statusTexts.begin(), surfaces.statusTexts.end(), status));
    }

    TempDir home, src, dst;
    RecordingSurfaces surfaces;
    FakeClock clock;
    FakeClockSetter setter;
    TcpResponder timeServer{TimeProtocolAnswer(kServerUnix)};
    Station station{home.path(), surfaces, clock};
};

TEST_F(TimeSyncRunTest, SettingsComeWithTheConfiguration) {
    Configure(true, "7");
    EXPECT_TRUE(station.TimeSync.Settings.Enable);
    EXPECT_EQ(station.TimeSync.Settings.Server, timeServer.Address());
    EXPECT_EQ(station.TimeSync.Settings.MaxCorrection, "7");
    station.TimeSync.Settings.Interval = "03:00";
    SaveConfig(station);
    EXPECT_NE(ReadFile(home / "Ferrolin.INI").find("Interval=03:00"), std::string::npos);
}

TEST_F(TimeSyncRunTest, ArmingFollowsTheEnableBox) {
    for (bool enable : {true, false}) {
        Configure(enable, "1");
        station.SyncTimeNow = !enable;
        Arm();
        EXPECT_EQ(station.SyncTimeNow, enable);
    }
}

TEST_F(TimeSyncRunTest, FirstJobSynchronisesOnceAndTheNextDoesNot) {
    Configure(true, "1");
    Arm();
    RunJob(station, 0);
    EXPECT_EQ(Count("Try sync time..."), 1u);
    EXPECT_EQ(Count("sync time successful"), 1u);
    EXPECT_EQ(setter.moments.size(), 1u);
    EXPECT_FALSE(station.SyncTimeNow);
    EXPECT_EQ(ReadFile(dst / "a.txt"), "alpha");  // the job went on to its transfers

    WriteFile(src / "b.txt", "bravo");
    RunJob(station, 0);
    EXPECT_EQ(Count("Try sync time..."), 1u);
    EXPECT_EQ(setter.moments.size(), 1u);
}

TEST_F(TimeSyncRunTest, AFailedSynchronisationIsShownAndTheJobGoesOn) {
    Configure(true, "1");
    clock.Set(ServerLocal() + kOneHour);  // beyond the limit
    Arm();
    RunJob(station, 0);
    EXPECT_EQ(Count("sync time failed"), 1u);
    EXPECT_EQ(station.TimeSync.SyncTimeFailed, 1);
    EXPECT_TRUE(setter.moments.empty());
    EXPECT_EQ(ReadFile(dst / "a.txt"), "alpha");
}

TEST_F(TimeSyncRunTest, StationDoesNotSetTheClockUnlessAFaceWiresItIn) {
    Station unwired(home.path(), surfaces, clock);
    unwired.TimeSync.Settings.Protocol = time_sync_panel::kProtocolTime;
    unwired.TimeSync.Settings.Server = timeServer.Address();
    EXPECT_FALSE(unwired.TimeSync.SyncNow(false));
    EXPECT_NE(unwired.TimeSync.LastError.find("not enabled"), std::string::npos);
}

// Against real servers, with this machine's real clock as "now".
class RealServerTest : public ::testing::Test {
protected:
    RecordingSurfaces surfaces;
    FakeClockSetter setter;
    TimeSyncService sync{surfaces, SystemClock(), setter};
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
