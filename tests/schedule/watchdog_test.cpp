#include "schedule/watchdog.h"

#include <gtest/gtest.h>

#include "files/copy_status.h"
#include "schedule_fakes.h"
#include "schedule_test_util.h"
#include "station/station.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

using test::At;

constexpr auto CountLines = test::CountOccurrences;

class WatchdogTest : public ::testing::Test {
protected:
    WatchdogTest() {
        station.Options.autoMode = true;
        station.Options.timeoutControl = TC_RestartSoftware;
        station.Options.rebootAfterTimeout = "05:00";
        station.RunMode = RM_Unattended;
    }
    // WatchdogTimer ticks every 100 ms for span.
    void TickFor(TDateTime span) {
        const TDateTime end = clock.Now() + span - 50 * kOneMillisecond;
        while (clock.Now() < end) {
            clock.Advance(100 * kOneMillisecond);
            watchdog.WatchdogTick();
        }
    }
    std::string Log() const { return test::ReadFile(station.LogFile); }

    test::TempDir dir;
    test::FakeClock clock{At(10, 0)};
    test::ScheduleSurfaces surfaces;
    Station station{dir.path(), surfaces, clock};
    test::FakeProcessControl process;
    Watchdog watchdog{station, process};
};

TEST_F(WatchdogTest, CountsDownThenRestartsTheProgramOnce) {
    station.SetConnected(true);
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.connected, "Timeout 05:00");
    TickFor(kOneMinute);
    EXPECT_EQ(surfaces.connected, "Timeout 04:00");
    TickFor(4 * kOneMinute - 500 * kOneMillisecond);
    EXPECT_EQ(surfaces.connected, "Timeout 00:00");  // the last second
    EXPECT_TRUE(process.restartFolders.empty());
    TickFor(500 * kOneMillisecond);  // exactly the limit: remaining 0, still waiting
    EXPECT_TRUE(process.restartFolders.empty());

    TickFor(100 * kOneMillisecond);  // the first tick past the limit
    EXPECT_EQ(process.restartFolders, std::vector<std::string>{dir.path()});
    EXPECT_EQ(process.endedWith, std::vector<int>{0});
    EXPECT_EQ(CountLines(Log(), "000 Software restart because of timeout"), 1);

    // The fake process lives on: the pending restart is not requested again.
    TickFor(5 * kOneMinute);
    EXPECT_EQ(process.restartFolders.size(), 1u);
    EXPECT_EQ(CountLines(Log(), "Software restart because of timeout"), 1);
}

TEST_F(WatchdogTest, DisarmedStatesNeverAct) {
    struct Case {
        const char* name;
        bool autoOn;
        bool editing;
        uint8_t control;
        const char* limit;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {"Auto off", false, false, TC_RestartSoftware, "05:00", "connected"},
        {"job being edited", true, true, TC_RestartSoftware, "05:00", "connected"},
        {"no timeout control", true, false, TC_None, "05:00", "connected"},
        {"limit 00:00", true, false, TC_RestartSoftware, "00:00", "connected"},
        {"minutes above 59", true, false, TC_RestartSoftware, "60:00", "Timeout 00:00"},
        {"not a time", true, false, TC_RestartComputer, "soon", "Timeout 00:00"},
    };
    for (const Case& c : cases) {
        station.Options.autoMode = c.autoOn;
        station.Editing = c.editing;
        station.Options.timeoutControl = c.control;
        station.Options.rebootAfterTimeout = c.limit;
        station.SetConnected(true);
        TickFor(20 * kOneMinute);
        EXPECT_EQ(surfaces.connected, c.caption) << c.name;
        EXPECT_TRUE(process.restartFolders.empty()) << c.name;
        EXPECT_EQ(process.rebootRequests, 0) << c.name;
        station.SetConnected(false);
    }
    EXPECT_EQ(CountLines(Log(), "because of timeout"), 0);
}

// Each job's connection gets the full limit.
TEST_F(WatchdogTest, NextJobStartsAFreshLimit) {
    station.SetConnected(true);
    TickFor(4 * kOneMinute);
    EXPECT_EQ(surfaces.connected, "Timeout 01:00");
    station.SetConnected(false);
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.connected, "connected");
    clock.Advance(100 * kOneMillisecond);
    station.SetConnected(true);
    TickFor(4 * kOneMinute);
    EXPECT_EQ(surfaces.connected, "Timeout 01:00");
    EXPECT_TRUE(process.restartFolders.empty());
}

// The run driver may set the mark without the box's handler: the watchdog notices the
// connection coming up on its next tick and counts from there.
TEST_F(WatchdogTest, ConnectionRaisedWithoutTheHandler) {
    clock.Advance(kOneHour);
    station.Connected = true;
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.connected, "Timeout 05:00");
}

// A refused restart is not repeated every 100 ms: once, then again a minute later.
TEST_F(WatchdogTest, FailedSelfRestartIsRetriedAfterAMinute) {
    process.selfRestartWorks = false;
    station.SetConnected(true);
    TickFor(5 * kOneMinute + 200 * kOneMillisecond);
    EXPECT_EQ(process.restartFolders.size(), 1u);
    TickFor(59 * kOneSecond);
    EXPECT_EQ(process.restartFolders.size(), 1u);
    TickFor(2 * kOneSecond);
    EXPECT_EQ(process.restartFolders.size(), 2u);
    EXPECT_EQ(CountLines(Log(), "Software restart because of timeout"), 2);
    EXPECT_TRUE(process.endedWith.empty());
}

TEST_F(WatchdogTest, RebootWithoutPrivilegeShowsTheMessageOnce) {
    station.Options.timeoutControl = TC_RestartComputer;
    process.privileged = false;
    station.SetConnected(true);
    TickFor(5 * kOneMinute + 200 * kOneMillisecond);
    TickFor(2 * kOneMinute);
    EXPECT_EQ(surfaces.asked,
              std::vector<std::string>{
                  "Error: Unable to modify security rights for shutdown privileges."});
    EXPECT_EQ(process.privilegeChecks, 3);
    EXPECT_EQ(process.rebootRequests, 0);
    EXPECT_EQ(CountLines(Log(), "000 Reboot because of timeout"), 3);
}

TEST_F(WatchdogTest, RebootIsRequestedOnce) {
    station.Options.timeoutControl = TC_RestartComputer;
    station.SetConnected(true);
    TickFor(10 * kOneMinute);
    EXPECT_EQ(process.rebootRequests, 1);
    EXPECT_TRUE(watchdog.RestartPending());
    EXPECT_EQ(CountLines(Log(), "Reboot because of timeout"), 1);
    EXPECT_TRUE(surfaces.asked.empty());
}

TEST_F(WatchdogTest, GaugeFollowsTheCopyStatusWhileACopyRuns) {
    station.Copy.Status.CopyType = CT_None;
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.gaugeUpdates, 0);

    station.Copy.Status.CopyType = CT_Copy;
    station.Copy.Status.Position = 42.7;
    station.Copy.Status.SetStatus("copying a.mpg");
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.gaugePosition, 42);
    EXPECT_EQ(surfaces.gaugeText, "copying a.mpg");

    station.Copy.Status.CopyType = CT_None;
    station.Copy.Status.Position = 0;
    watchdog.WatchdogTick();
    EXPECT_EQ(surfaces.gaugePosition, 42);  // keeps the last progress
    EXPECT_EQ(surfaces.gaugeUpdates, 1);
}

}  // namespace
}  // namespace ferrolin
