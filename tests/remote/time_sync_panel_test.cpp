// The panel's own actions: "Sync now", the protocol notice, and its configuration section.
#include <sys/stat.h>

#include "common/datetime_format.h"
#include "support/temp_dir.h"
#include "time_sync_fixture.h"

namespace ferrolin::test {
namespace {

TEST_F(TimeSyncTest, SyncNowIsNeverLimitedAndAlwaysReports) {
    sync.Settings.MaxCorrection = "1";
    sync.Settings.TimeOffset = "1000";
    sync.TimeSyncNext = 5;
    sync.SyncTimeFailed = 4;
    clock.Set(ServerLocal() - 30 * kOneMinute);
    EXPECT_TRUE(sync.SyncNow());
    ASSERT_EQ(setter.moments.size(), 1u);
    EXPECT_EQ(setter.moments[0], ServerMoment(1000));
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text.substr(0, surfaces.questions[0].text.find('\n')),
              DateTimeToStr(ServerLocal() + kOneSecond));
    EXPECT_EQ(sync.TimeSyncNext, 5);
    EXPECT_EQ(sync.SyncTimeFailed, 4);
}

TEST_F(TimeSyncTest, SyncNowWithAnOffsetThatIsNoNumberQueriesNothing) {
    UdpResponder counting([](const std::vector<uint8_t>& r) -> std::optional<std::vector<uint8_t>> {
        return SntpAnswer(r, kServerUnix);
    });
    sync.Settings.Protocol = time_sync_panel::kProtocolSntp;
    sync.Settings.Server = counting.Address();
    sync.Settings.TimeOffset = "1s";
    EXPECT_FALSE(sync.SyncNow());
    EXPECT_EQ(counting.Requests(), 0);
    EXPECT_TRUE(setter.moments.empty());
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text, "'1s' is not a valid integer value");
}

TEST_F(TimeSyncTest, PickingTheTimeProtocolShowsTheYear2036Notice) {
    sync.SelectProtocol(time_sync_panel::kProtocolSntp);
    EXPECT_TRUE(surfaces.questions.empty());
    sync.SelectProtocol(time_sync_panel::kProtocolTime);
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text,
              "Notice this protocol does only work until year 2036.\r\n"
              "According the RFC 868 this is a known limitation.\r\n"
              "Use SNTP instead, if this could get an issue");
    EXPECT_EQ(sync.Settings.Protocol, time_sync_panel::kProtocolTime);
}

class TimeSyncConfigTest : public TimeSyncTest {
protected:
    TempDir dir;
    std::string ini = dir / "Ferrolin.INI";
};

TEST_F(TimeSyncConfigTest, SaveAndLoadRoundTrip) {
    WriteFile(ini, "[Global]\r\nAuto=1\r\n");
    sync.Settings = {true, "02:15", "time.example.org:1123", 1, "-250", "0"};
    ASSERT_TRUE(sync.SaveConfigTo(ini));
    const std::string text = ReadFile(ini);
    EXPECT_NE(text.find("[InternetDateTimeSync]"), std::string::npos);
    EXPECT_NE(text.find("Enable=1"), std::string::npos);
    EXPECT_NE(text.find("Protocol=1"), std::string::npos);
    EXPECT_NE(text.find("Auto=1"), std::string::npos);  // the rest of the file stays

    TimeSyncService loaded(surfaces, clock, setter);
    ASSERT_TRUE(loaded.LoadConfigFrom(ini));
    EXPECT_EQ(loaded.Settings.Enable, true);
    EXPECT_EQ(loaded.Settings.Interval, "02:15");
    EXPECT_EQ(loaded.Settings.Server, "time.example.org:1123");
    EXPECT_EQ(loaded.Settings.Protocol, 1);
    EXPECT_EQ(loaded.Settings.TimeOffset, "-250");
    EXPECT_EQ(loaded.Settings.MaxCorrection, "0");
    EXPECT_TRUE(surfaces.questions.empty());  // loading "Time (37)" shows no notice
}

TEST_F(TimeSyncConfigTest, TextsAreSavedUnvalidated) {
    sync.Settings.Interval = "25:00";
    sync.Settings.TimeOffset = "abc";
    ASSERT_TRUE(sync.SaveConfigTo(ini));
    TimeSyncService loaded(surfaces, clock, setter);
    ASSERT_TRUE(loaded.LoadConfigFrom(ini));
    EXPECT_EQ(loaded.Settings.Interval, "25:00");
    EXPECT_EQ(loaded.Settings.TimeOffset, "abc");
}

TEST_F(TimeSyncConfigTest, MissingKeysKeepTheCurrentSettings) {
    WriteFile(ini, "[internetdatetimesync]\nserver=other.example.org\n");
    sync.Settings = {true, "03:00", "x", 1, "7", "9"};
    ASSERT_TRUE(sync.LoadConfigFrom(ini));
    EXPECT_EQ(sync.Settings.Server, "other.example.org");
    EXPECT_TRUE(sync.Settings.Enable);
    EXPECT_EQ(sync.Settings.Interval, "03:00");
    EXPECT_EQ(sync.Settings.Protocol, 0);  // the one key whose default is fixed
    EXPECT_EQ(sync.Settings.TimeOffset, "7");
    EXPECT_EQ(sync.Settings.MaxCorrection, "9");
}

TEST_F(TimeSyncConfigTest, ProtocolOutsideTheListIsAnItemOfIt) {
    for (auto [stored, expected] : {std::pair{"5", 1}, std::pair{"-1", 0}, std::pair{"x", 0}}) {
        WriteFile(ini, std::string("[InternetDateTimeSync]\nProtocol=") + stored + "\n");
        ASSERT_TRUE(sync.LoadConfigFrom(ini));
        EXPECT_EQ(sync.Settings.Protocol, expected) << stored;
    }
}

TEST_F(TimeSyncConfigTest, UnreadableOrUnwritableFileIsFalseAndChangesNothing) {
    mkdir(ini.c_str(), 0755);  // a folder where the file should be
    sync.Settings.Server = "kept";
    EXPECT_FALSE(sync.LoadConfigFrom(ini));
    EXPECT_EQ(sync.Settings.Server, "kept");
    EXPECT_FALSE(sync.SaveConfigTo(ini));
    EXPECT_FALSE(sync.SaveConfigTo(dir / "missing-folder/Ferrolin.INI"));
    EXPECT_EQ(sync.Settings.Server, "kept");
}

}  // namespace
}  // namespace ferrolin::test
