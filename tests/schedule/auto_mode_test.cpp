#include "schedule/auto_mode.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/datetime_format.h"
#include "config/profile_file.h"
#include "files/copy_status.h"
#include "schedule/config_weekday_store.h"
#include "schedule/next_start.h"
#include "schedule_fakes.h"
#include "schedule_test_util.h"
#include "station/run_driver.h"
#include "station/station.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

using test::At;
using test::Show;

constexpr auto CountLines = test::CountOccurrences;

class AutoModeTest : public ::testing::Test {
  protected:
    AutoModeTest() {
        station.Jobs = {{"first", true}, {"second", true}};
        station.Options.autoMode = true;
        hooks.readConfig = nullptr;  // the tests set the options themselves
        hooks.runJob = [this](int n) {
            EXPECT_EQ(station.RunMode, RM_Unattended);
            EXPECT_FALSE(inJob) << "runs overlap";
            inJob = true;
            runs.push_back({n, clock.Now()});
            if (onJob) onJob(n);
            inJob = false;
        };
        hooks.runBegins = [this](RunTrigger trigger) { triggers.push_back(trigger); };
        hooks.runEnds = [this] { return runOutcome; };
    }

    AutoMode& Auto() {
        if (!autoMode) autoMode = std::make_unique<AutoMode>(station, store, process, hooks);
        return *autoMode;
    }
    // The next start as the "Next:" label shows it; empty while there is none.
    std::string NextText() const {
        return station.NextStart ? DateTimeToStr(*station.NextStart) : std::string();
    }
    // Ticks once a step until the clock has advanced by span.
    void TickFor(TDateTime span, TDateTime step = kOneSecond) {
        const TDateTime end = clock.Now() + span - step / 2;
        while (clock.Now() < end) {
            clock.Advance(step);
            Auto().AutoModeTick();
        }
    }
    std::vector<TDateTime> RunStarts() const {
        std::vector<TDateTime> starts;
        for (const auto& [n, when] : runs) {
            if (n == 0) starts.push_back(when);
        }
        return starts;
    }
    std::string Log() const { return test::ReadFile(station.LogFile); }
    void StoreWeekday(std::string_view key, std::string_view value) {
        ProfileFile(station.IniFilename).WriteString("Global", key, value);
    }

    test::TempDir dir;
    test::FakeClock clock{At(10, 0)};
    test::ScheduleSurfaces surfaces;
    Station station{dir.path(), surfaces, clock};
    ConfigWeekdayListStore store{dir.path() + "/Ferrolin.INI", station.IniCache};
    test::FakeProcessControl process;
    AutoModeHooks hooks = StationAutoModeHooks(station);
    std::unique_ptr<AutoMode> autoMode;

    std::vector<std::pair<int, TDateTime>> runs;
    bool inJob = false;
    std::function<void(int)> onJob;
    std::vector<RunTrigger> triggers;  // of each run begun
    RunOutcome runOutcome = RunOutcome::Ok;
};

TEST_F(AutoModeTest, StartupSetupOnceThenDayChangeOnFirstTick) {
    EXPECT_EQ(Auto().AutoModeIntervalMs(), 2000);
    // Until the set-up the FTP session's texts stay in the FTP window; from then on they
    // are the main window's.
    station.Sessions.Ftp.ChangeDir("/never", true);
    EXPECT_TRUE(surfaces.statusTexts.empty());
    Auto().StartupSetup();
    station.Sessions.Ftp.ChangeDir("/never", true);
    EXPECT_EQ(surfaces.statusTexts, std::vector<std::string>{"ChangeDir failed"});
    EXPECT_EQ(station.Sessions.Ftp.Gauge(), &station.surfaces());  // the face, without passwords
    EXPECT_EQ(station.RunMode, RM_Idle);
    EXPECT_EQ(Auto().AutoModeIntervalMs(), 1000);
    EXPECT_EQ(station.SendTime.Day(), 3);  // Wednesday
    EXPECT_EQ(station.SendTime.Lines(), std::vector<std::string>{"00:00 01:00:00"});
    Auto().StartupSetup();
    EXPECT_EQ(CountLines(Log(), "Program started"), 1);

    clock.Advance(kOneSecond);
    Auto().AutoModeTick();
    const std::string log = Log();
    EXPECT_EQ(CountLines(log, "000 Program started"), 1);
    EXPECT_EQ(CountLines(log, "000 Day change"), 1);
    EXPECT_LT(log.find("Program started"), log.find("Day change"));
    EXPECT_EQ(station.LastDayChange, test::Day());
}

// The first tick's day change sets now + 10 minutes: the first run comes ten minutes after
// the start, and the next one ten minutes after the end of the run.
TEST_F(AutoModeTest, SimpleIntervalRunsEveryTenMinutes) {
    TickFor(25 * kOneMinute);
    const std::vector<TDateTime> starts = RunStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(test::SameMoment(starts[0], At(10, 10, 2))) << Show(starts[0]);
    EXPECT_TRUE(test::SameMoment(starts[1], At(10, 20, 3))) << Show(starts[1]);
    EXPECT_EQ(runs.size(), 4u);  // both jobs each time, in list order
    EXPECT_EQ(runs[1].first, 1);
    EXPECT_EQ(surfaces.nextStartText, "00:05:03");
    EXPECT_EQ(NextText(), "09.12.2026 10:30:03");
    EXPECT_FALSE(surfaces.cancelVisible);
    EXPECT_EQ(station.RunMode, RM_Idle);
}

// A run longer than the interval: the next start counts from the end of the run, so runs
// never overlap and missed starts are not made up; a tick arriving during the run (the face
// processes messages) starts nothing.
TEST_F(AutoModeTest, RunLongerThanTheInterval) {
    station.Jobs = {{"slow", true}};
    int nestedTicks = 0;
    onJob = [&](int) {
        for (int i = 0; i < 15 * 60; ++i) {
            clock.Advance(kOneSecond);
            Auto().AutoModeTick();
            ++nestedTicks;
        }
    };
    TickFor(70 * kOneMinute);
    const std::vector<TDateTime> starts = RunStarts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_TRUE(test::SameMoment(starts[0], At(10, 10, 2))) << Show(starts[0]);
    for (size_t i = 1; i < starts.size(); ++i) {
        const TDateTime previousEnd = starts[i - 1] + 15 * kOneMinute;
        EXPECT_GT(starts[i], previousEnd + 10 * kOneMinute) << Show(starts[i]);
        EXPECT_LT(starts[i], previousEnd + 10 * kOneMinute + 2 * kOneSecond) << Show(starts[i]);
    }
    EXPECT_GT(nestedTicks, 0);
}

// A week of Enhanced schedule: one run on each working day at 06:00, none at the weekend,
// the list of the day in force after every midnight.
TEST_F(AutoModeTest, WeekOfEnhancedSchedule) {
    station.Options.sendTimeMode = 1;
    station.Jobs = {{"only", true}};
    for (std::string_view day : {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"}) {
        StoreWeekday(WeekdayKey(day), "06:00 00:10:00;22:00 --;");
    }
    StoreWeekday("SaturdayFu10", "10:00 --;");
    StoreWeekday("SundayFu10", "10:00 --;");
    clock.Set(At(5, 0));
    TickFor(7, 5 * kOneSecond);

    const std::vector<TDateTime> starts = RunStarts();
    ASSERT_EQ(starts.size(), 5u);
    const int expectedDays[] = {0, 1, 2, 5, 6};  // Wed Thu Fri, Mon Tue
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_TRUE(test::SameMoment(starts[i], At(6, 0, 5, expectedDays[i]))) << Show(starts[i]);
    }
    EXPECT_EQ(CountLines(Log(), "Day change"), 8);
    EXPECT_TRUE(surfaces.asked.empty());
}

// At midnight the new day's list replaces the pending start at once.
TEST_F(AutoModeTest, MidnightReplacesThePendingStart) {
    station.Options.sendTimeMode = 1;
    StoreWeekday("TuesdayFu10", "00:00 01:00:00;");
    StoreWeekday("WednesdayFu10", "00:30 00:10:00;");
    clock.Set(At(23, 59, 50, -1));
    TickFor(5 * kOneSecond);
    EXPECT_EQ(station.SendTime.Day(), 2);
    EXPECT_EQ(NextText(), "09.12.2026 00:59:51") << "Tuesday's list: an hour after the first tick";
    TickFor(10 * kOneSecond);
    EXPECT_EQ(station.SendTime.Day(), 3);
    EXPECT_EQ(NextText(), "09.12.2026 00:30:00");
    EXPECT_EQ(CountLines(Log(), "Day change"), 2);
    TickFor(31 * kOneMinute);
    const std::vector<TDateTime> starts = RunStarts();
    ASSERT_FALSE(starts.empty());
    EXPECT_TRUE(test::SameMoment(starts[0], At(0, 30, 1))) << Show(starts[0]);
}

// Files arriving in the first job's folder move the next start to five seconds after the
// count last changed; an emptied folder triggers nothing but the next file does.
TEST_F(AutoModeTest, SpecialScanStartsFiveSecondsAfterTheCountSettles) {
    station.Options.sendTimeSimpleInterval = "01:00:00";
    station.Options.specialScan = true;
    station.Jobs = {{"watch", true}};
    const std::string in = dir.path() + "/in";
    std::filesystem::create_directories(in + "/subfolder");
    station.SpecialScanFolder = in;

    TickFor(3 * kOneSecond);  // nothing but a folder: no run
    for (int i = 0; i < 4; ++i) {
        test::WriteFile(in + "/f" + std::to_string(i), "x");
        TickFor(kOneSecond);  // files keep arriving: the start keeps moving
    }
    EXPECT_EQ(station.SpecialScanCount, 4);
    EXPECT_EQ(NextText(), "09.12.2026 10:00:12");
    // The first run leaves three files behind: a different count, so another run follows.
    onJob = [&](int) {
        if (runs.size() == 1) std::filesystem::remove(in + "/f0");
    };
    TickFor(20 * kOneSecond);
    std::vector<TDateTime> starts = RunStarts();
    ASSERT_EQ(starts.size(), 2u);
    // Both runs are the new files' doing, and recorded as such.
    EXPECT_EQ(triggers, (std::vector<RunTrigger>{RunTrigger::Scan, RunTrigger::Scan}));
    EXPECT_TRUE(test::SameMoment(starts[0], At(10, 0, 13))) << Show(starts[0]);
    EXPECT_TRUE(test::SameMoment(starts[1], At(10, 0, 20))) << Show(starts[1]);

    // Emptied folder: count 0 never starts a run, but it is remembered.
    onJob = nullptr;
    for (int i = 0; i < 4; ++i) std::filesystem::remove(in + "/f" + std::to_string(i));
    TickFor(20 * kOneSecond);
    EXPECT_EQ(station.SpecialScanCount, 0);
    EXPECT_EQ(RunStarts().size(), 2u);
    test::WriteFile(in + "/late", "x");
    TickFor(10 * kOneSecond);
    starts = RunStarts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_TRUE(test::SameMoment(starts[2], At(10, 0, 54))) << Show(starts[2]);
}

// The day change rotates the event log once it has grown past 1,000,000 bytes.
TEST_F(AutoModeTest, DayChangeRotatesABigLog) {
    test::WriteFile(station.LogFile, std::string(1000001, 'x'));
    TickFor(kOneSecond);
    const std::string log = Log();
    EXPECT_EQ(CountLines(log, "Day change"), 1);
    EXPECT_EQ(log.find("xxx"), std::string::npos);
    EXPECT_GT(test::ReadFile(dir.path() + "/Ferrolinold.log").size(), 1000000u);
}

// Unsaved send-time edits at midnight: the day change asks first, and no run starts before
// the answer; Yes keeps the edits with the day they were made for.
TEST_F(AutoModeTest, UnsavedEditsAtMidnightAreAskedAboutFirst) {
    station.Options.sendTimeMode = 1;
    StoreWeekday("TuesdayFu10", "20:00 --;");
    StoreWeekday("WednesdayFu10", "00:00 00:00:05;");
    clock.Set(At(23, 59, 55, -1));
    TickFor(kOneSecond);
    station.SendTime.EditLines({"21:00 --"});
    surfaces.answers = {Answer::Yes};
    size_t askedBeforeRun = 0;
    onJob = [&](int) {
        if (askedBeforeRun == 0) askedBeforeRun = surfaces.asked.size();
    };
    TickFor(15 * kOneSecond);
    EXPECT_EQ(surfaces.asked, std::vector<std::string>{"Warning: Save changes ?"});
    EXPECT_EQ(askedBeforeRun, 1u);
    EXPECT_EQ(ProfileFile(station.IniFilename).ReadString("Global", "TuesdayFu10", ""),
              "21:00 --;");
    EXPECT_EQ(station.SendTime.Lines(), std::vector<std::string>{"00:00 00:00:05"});
    EXPECT_FALSE(RunStarts().empty());
}

// A send-time list that cannot be saved at midnight is reported; the automatic mode goes on.
TEST_F(AutoModeTest, ListThatCannotBeSavedAtMidnightIsReported) {
    clock.Set(At(23, 59, 58, -1));
    TickFor(kOneSecond);
    station.SendTime.EditLines({"21:00 --"});
    surfaces.answers = {Answer::Yes};
    // A folder in place of the configuration file refuses every write.
    std::filesystem::create_directories(dir.path() + "/blocked");
    ConfigWeekdayListStore blocked{dir.path() + "/blocked", station.IniCache};
    AutoMode blockedMode(station, blocked, process, hooks);
    clock.Advance(2 * kOneSecond);
    blockedMode.AutoModeTick();
    ASSERT_EQ(surfaces.errors.size(), 1u);
    EXPECT_NE(surfaces.errors[0].find("Unable to write to"), std::string::npos)
        << surfaces.errors[0];
    EXPECT_EQ(station.LastDayChange, test::Day());
}

// "Manual" computes the next automatic start from the weekday lines (in Simple mode too);
// "Manual (no messages)" leaves it as it was.
TEST_F(AutoModeTest, ManualRunSetsTheNextStartFromTheWeekdayLines) {
    StoreWeekday("WednesdayFu10", "08:00 00:30:00;12:00 --;14:00 01:00:00;");
    TickFor(kOneSecond);
    EXPECT_EQ(NextText(), "09.12.2026 10:10:01");
    station.Jobs.clear();
    clock.Set(At(15, 20));
    RunAllJobsManually(station, false);
    EXPECT_EQ(NextText(), "09.12.2026 10:10:01");
    RunAllJobsManually(station, true);
    EXPECT_EQ(NextText(), "09.12.2026 16:20:00");
    autoMode.reset();
    EXPECT_FALSE(station.AfterManualRunHook);
}

TEST_F(AutoModeTest, AutoOffComputesTheNextStartButRunsNothing) {
    station.Options.autoMode = false;
    TickFor(30 * kOneMinute);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(NextText(), "09.12.2026 10:10:01");
    // The big label says why nothing starts, never the control's name.
    EXPECT_EQ(surfaces.nextStartText, "Auto off");

    // Switching Auto on computes the next start from now.
    Auto().SetAuto(true);
    EXPECT_EQ(NextText(), "09.12.2026 10:40:00");
}

TEST_F(AutoModeTest, CancelStopsTheRemainingJobsAndTheRunEndsNormally) {
    station.Jobs = {{"a", true}, {"b", true}, {"c", true}};
    onJob = [&](int n) {
        if (n == 0) station.Copy.Cancel.Cancel();
    };
    TickFor(11 * kOneMinute);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(surfaces.nextStartText.size(), 8u);  // a countdown again after "finished"
    EXPECT_EQ(station.RunMode, RM_Idle);
    EXPECT_EQ(NextText(), "09.12.2026 10:20:02");
}

TEST_F(AutoModeTest, CloseProgramAfterJobsEndsAfterTheRun) {
    station.Options.closeAfterJobs = true;
    station.Options.runMinimized = true;
    TickFor(10 * kOneMinute + 2 * kOneSecond);
    EXPECT_EQ(runs.size(), 2u);
    EXPECT_EQ(process.endedWith, std::vector<int>{0});
    EXPECT_EQ(surfaces.minimized, 1);
    EXPECT_EQ(CountLines(Log(), "Program closed"), 0);
}

TEST_F(AutoModeTest, EmptyJobListStillEndsWithANewStart) {
    station.Jobs.clear();
    TickFor(10 * kOneMinute + 2 * kOneSecond);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(surfaces.nextStartText, "finished");
    EXPECT_EQ(NextText(), "09.12.2026 10:20:02");
    EXPECT_EQ(triggers, std::vector<RunTrigger>{RunTrigger::Auto});
}

// The label says how the run ended, as its record has it.
TEST_F(AutoModeTest, TheLabelSaysHowTheRunEnded) {
    runOutcome = RunOutcome::Failed;
    TickFor(10 * kOneMinute + 2 * kOneSecond);
    EXPECT_EQ(surfaces.nextStartText, "finished with errors");
    runOutcome = RunOutcome::Cancelled;
    TickFor(10 * kOneMinute + kOneSecond);
    EXPECT_EQ(surfaces.nextStartText, "cancelled");
}

// Lines the schedule cannot use are logged once, not on every computation.
TEST_F(AutoModeTest, UnusableLinesAreLoggedOnce) {
    station.Options.sendTimeMode = 1;
    station.Options.absoluteSendTime = true;
    StoreWeekday("WednesdayFu10", "bad line;10:30 00:00:00;11:00 00:20:00;");
    TickFor(65 * kOneMinute);
    const std::string log = Log();
    EXPECT_EQ(CountLines(log, "\"bad line\" not used"), 1) << log;
    EXPECT_EQ(CountLines(log, "\"10:30 00:00:00\" not used"), 1) << log;
    const std::vector<TDateTime> starts = RunStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(test::SameMoment(starts[0], At(10, 30, 1))) << Show(starts[0]);
    EXPECT_TRUE(test::SameMoment(starts[1], At(11, 0, 1))) << Show(starts[1]);
}

// A next start that is missing is computed afresh, and the label shows the same moment.
TEST_F(AutoModeTest, MissingNextStartIsComputedAgain) {
    TickFor(kOneSecond);
    station.NextStart.reset();
    TickFor(kOneSecond);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(NextText(), "09.12.2026 10:10:02");
    EXPECT_EQ(surfaces.nextFu10, NextText());
}

TEST(FormatCountdown, DropsDaysAndCutsMilliseconds) {
    struct Case {
        TDateTime span;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0, "00:00:00"},
        {-kOneSecond, "00:00:00"},
        {kOneSecond * 59.6, "00:00:59"},
        {kOneHour * 3 + kOneMinute * 4 + kOneSecond * 5, "03:04:05"},
        {1 + kOneHour, "01:00:00"},
        {2 - kOneSecond * 1e-6, "00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatCountdown(c.span), c.text) << c.span;
}

}  // namespace
}  // namespace ferrolin
