#include "engine/delayed_delete.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "files/copy_status.h"
#include "platform/fs.h"
#include "station/station.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::FakeClock;
using test::TempDir;
using test::WriteFile;

class DelayedDelete : public ::testing::Test {
protected:
    DelayedDelete() : station(home.path(), surfaces, clock) {}

    std::string DelayFile() { return ReadFile(home / "DelayDelete.txt"); }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    TransferJob JobWithDelay(const std::string& delay) {
        TransferJob job;
        job.copyMode = CM_SourceIsMaster;
        job.deleteDelay = delay;
        job.destination = dest.path();
        return job;
    }

    TempDir home;
    TempDir dest;
    NullSurfaces surfaces;
    FakeClock clock{EncodeDate(2023, 12, 8) + EncodeTime(14, 30, 5)};
    Station station;
};

TEST(DelayMoment, OneFixedFormReadsBackEvenAtMidnight) {
    const TDateTime midnight = EncodeDate(2024, 2, 29);
    EXPECT_EQ(FormatDelayMoment(midnight), "2024-02-29 00:00:00");
    const TDateTime moment = EncodeDate(2023, 12, 8) + EncodeTime(9, 5, 7);
    EXPECT_EQ(FormatDelayMoment(moment), "2023-12-08 09:05:07");
    for (const TDateTime value : {midnight, moment}) {
        const auto back = ParseDelayMoment(FormatDelayMoment(value));
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(*back, value, kOneMillisecond);
    }
    // Moments before 1899 (a fuzz finding): the time of day still reads back.
    for (const char* text : {"1011-12-16 10:00:00", "1899-12-29 06:00:00", "0001-01-01 00:00:01"}) {
        const auto back = ParseDelayMoment(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(FormatDelayMoment(*back), text);
    }
    for (const char* bad : {"08.12.2023 10:00:00", "2023-02-30 10:00:00", "2023-12-08 24:00:00",
                            "2023-12-08 10:00", "2023-12-08T10:00:00", "", "garbage garbage gar"})
        EXPECT_FALSE(ParseDelayMoment(bad).has_value()) << bad;
}

TEST(DelayMoment, DelayDaysMustBeAWholeNumber) {
    EXPECT_EQ(ParseDelayDays("3"), 3);
    EXPECT_EQ(ParseDelayDays(" 3 "), 3);
    EXPECT_EQ(ParseDelayDays("0"), 0);
    EXPECT_EQ(ParseDelayDays("-2"), -2);
    EXPECT_FALSE(ParseDelayDays("").has_value());
    EXPECT_FALSE(ParseDelayDays("3 days").has_value());
    EXPECT_FALSE(ParseDelayDays("1.5").has_value());
}

TEST_F(DelayedDelete, PostponedLinesKeepTheirFirstMomentAndFallDueAfterTheDelay) {
    WriteFile(dest / "c.txt", "c");
    WriteFile(dest / "sub dir/d.txt", "d");
    PostponeDeletions(station, dest.path() + "/", {"c.txt", "sub dir/d.txt"});
    const std::string first = "2023-12-08 14:30:05\t" + dest / "c.txt" + "\r\n" +
                              "2023-12-08 14:30:05\t" + dest / "sub dir/d.txt" + "\r\n";
    EXPECT_EQ(DelayFile(), first);

    clock.Advance(1);
    PostponeDeletions(station, dest.path(), {"c.txt"});  // already listed: unchanged
    EXPECT_EQ(DelayFile(), first);

    clock.Advance(2);  // three days after the first moment: not yet later than it
    ProcessDelayedDeletes(station, JobWithDelay("3"));
    EXPECT_TRUE(platform::FileExists(dest / "c.txt"));
    EXPECT_EQ(DelayFile(), first);

    clock.Advance(kOneMinute);
    ProcessDelayedDeletes(station, JobWithDelay("3"));
    EXPECT_FALSE(platform::FileExists(dest / "c.txt"));
    EXPECT_FALSE(platform::FileExists(dest / "sub dir/d.txt"));
    EXPECT_EQ(DelayFile(), "");
    EXPECT_NE(Log().find("File " + dest / "c.txt" + " deleted"), std::string::npos);
}

TEST_F(DelayedDelete, AnUnreadableLineStaysAndTheOthersAreProcessed) {
    WriteFile(dest / "old.txt", "o");
    const std::string foreign = "08.12.2023 10:00:00\t" + dest / "foreign.txt";
    WriteFile(home / "DelayDelete.txt", foreign + "\r\n" + "2023-12-01 10:00:00\t" + dest / "old.txt" +
                                            "\r\n" + "2023-12-08 10:00:00\t" + dest / "new.txt" + "\r\n");
    ProcessDelayedDeletes(station, JobWithDelay("3"));
    EXPECT_FALSE(platform::FileExists(dest / "old.txt"));
    EXPECT_EQ(DelayFile(), foreign + "\r\n" + "2023-12-08 10:00:00\t" + dest / "new.txt" + "\r\n");
    const std::string log = Log();
    EXPECT_NE(log.find("DelayDelete.txt: line not understood, kept: " + foreign), std::string::npos);
    EXPECT_NE(log.find("File " + dest / "old.txt" + " deleted"), std::string::npos);
}

TEST_F(DelayedDelete, NothingHappensWithoutAPositiveNumericDelay) {
    const std::string content = "2020-01-01 00:00:00\t" + dest / "x.txt" + "\r\n";
    WriteFile(home / "DelayDelete.txt", content);
    WriteFile(dest / "x.txt", "x");
    for (const char* delay : {"0", "", "-1", "soon"}) {
        ProcessDelayedDeletes(station, JobWithDelay(delay));
        EXPECT_EQ(DelayFile(), content) << delay;
        EXPECT_TRUE(platform::FileExists(dest / "x.txt")) << delay;
    }
}

TEST_F(DelayedDelete, FailedDeletionsAreLoggedAndCancelStopsBeforeTheNext) {
    WriteFile(dest / "b.txt", "b");
    WriteFile(home / "DelayDelete.txt", "2020-01-01 00:00:00\t" + dest / "missing.txt" + "\r\n" +
                                            "2020-01-01 00:00:00\t" + dest / "b.txt" + "\r\n");
    station.Copy.Cancel.Stop();
    ProcessDelayedDeletes(station, JobWithDelay("1"));
    EXPECT_TRUE(platform::FileExists(dest / "b.txt"));  // cancelled before any deletion
    station.Copy.Cancel.ClearStop();
    WriteFile(home / "DelayDelete.txt", "2020-01-01 00:00:00\t" + dest / "missing.txt" + "\r\n");
    ProcessDelayedDeletes(station, JobWithDelay("1"));
    EXPECT_NE(Log().find("File " + dest / "missing.txt" + " deleting failed"), std::string::npos);
    EXPECT_EQ(station.FailedFiles, 1u);
}

TEST_F(DelayedDelete, AFileThatCannotBeReadIsNeverOverwritten) {
    std::filesystem::create_directories(home / "DelayDelete.txt");  // a folder in its place
    PostponeDeletions(station, dest.path(), {"a.txt"});
    ProcessDelayedDeletes(station, JobWithDelay("1"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "DelayDelete.txt"));
    EXPECT_NE(Log().find("DelayDelete.txt could not be read"), std::string::npos);
}

}  // namespace
}  // namespace ferrolin
