// Jobs that name a dial-up entry, run against a NetworkManager stand-in on a private bus:
// the line is dialled for the destination or the source, hung up after the job (or before
// any transfer when the source's listing is empty), a failed dial transfers nothing, and
// without NetworkManager the job runs without dialling.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "station/ras_entries.h"
#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/nm_mock.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::IniKeys;
using test::NmMock;
using test::ReadFile;
using test::WriteFile;

// A face whose message processing runs a test's script (the operator pressing Cancel).
class ScriptedSurfaces : public test::RecordingSurfaces {
public:
    void ProcessMessages() override {
        RecordingSurfaces::ProcessMessages();
        if (onMessages) onMessages();
    }
    std::function<void()> onMessages;
};

class DialUpJob : public ::testing::Test {
protected:
    DialUpJob() : station(home.path(), surfaces) {
        station.Ras.TimeOutCycles = 40;
        station.Ras.CycleMs = 25;
    }
    void SetUp() override {
        if (!NmMock::Possible()) GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing";
    }
    void StartMock(bool withService = true) {
        mock = std::make_unique<NmMock>(
            std::vector<std::pair<std::string, std::string>>{{"Office VPN", "vpn"}}, withService);
        ASSERT_TRUE(mock->Ready());
        LoadRasEntries(station);
    }
    void RunJob(const std::string& useRasFor) {
        test::WriteJobIni(home.path(), {},
                          {{{"SendeVerzeichnis", src.path()},
                            {"EmpfangsVerzeichnis", dst.path()},
                            {"DRasEintrag", "office vpn"},
                            {"UseRasFor", useRasFor}}});
        ReadConfig(station);
        RunAllJobsManually(station, false);
    }
    bool Copied() { return std::filesystem::exists(dst / "a.txt"); }

    test::TempDir home, src, dst;
    ScriptedSurfaces surfaces;
    Station station;
    std::unique_ptr<NmMock> mock;
};

TEST_F(DialUpJob, DestinationLineIsDialledForTheTransferAndHungUp) {
    StartMock();
    ASSERT_EQ(station.RasEntries, (std::vector<std::string>{"RAS disabled", "Office VPN"}));
    WriteFile(src / "a.txt", "alpha");
    RunJob("0");
    EXPECT_TRUE(Copied());
    EXPECT_EQ(mock->CallCount("ActivateConnection"), 1);
    EXPECT_EQ(mock->CallCount("DeactivateConnection"), 1);
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
    EXPECT_TRUE(surfaces.errors.empty());
    EXPECT_FALSE(station.Connected);
    EXPECT_EQ(station.JobsCutShort, 0u);
}

TEST_F(DialUpJob, SourceLineServesListingAndTransferEmptyListingHangsUpAtOnce) {
    StartMock();
    WriteFile(src / "a.txt", "alpha");
    RunJob("1");
    EXPECT_TRUE(Copied());
    EXPECT_EQ(mock->CallCount("ActivateConnection"), 1);  // one line for both sides
    EXPECT_EQ(mock->CallCount("DeactivateConnection"), 1);

    std::filesystem::remove(src / "a.txt");
    std::filesystem::remove(dst / "a.txt");
    RunJob("1");
    EXPECT_EQ(mock->CallCount("ActivateConnection"), 2);
    EXPECT_EQ(mock->CallCount("DeactivateConnection"), 2);
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
    EXPECT_FALSE(station.Connected);
}

TEST_F(DialUpJob, FailedSourceDialListsNothingAndCancelIsNoFailure) {
    StartMock();
    ASSERT_TRUE(mock->SetBehaviour(0, "hang", 0));
    WriteFile(src / "a.txt", "alpha");
    RunJob("1");
    EXPECT_FALSE(Copied());
    EXPECT_EQ(station.JobsCutShort, 1u);
    ASSERT_EQ(surfaces.errors.size(), 2u);
    EXPECT_NE(surfaces.errors[0].find("Timeout on Ras connect"), std::string::npos);
    EXPECT_NE(surfaces.errors[1].find(": cut short: "), std::string::npos) << surfaces.errors[1];
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));

    // The operator's Cancel during the wait ends it at once and is not a failure.
    surfaces.onMessages = [&] {
        if (!station.Ras.DialUp.hRAS().empty()) station.Copy.Cancel.Cancel();
    };
    station.Ras.TimeOutCycles = 2000;  // far longer than the test waits for Cancel
    surfaces.processMessagesCalls = 0;
    RunJob("0");
    EXPECT_EQ(mock->CallCount("ActivateConnection"), 2);
    EXPECT_FALSE(Copied());
    EXPECT_EQ(station.JobsCutShort, 0u);
    EXPECT_LT(surfaces.processMessagesCalls, 100);  // the wait ended at once, not after 2000 cycles
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
}

TEST_F(DialUpJob, FailedDialTransfersNothing) {
    StartMock();
    ASSERT_TRUE(mock->SetBehaviour(0, "fail", 20, 9));
    WriteFile(src / "a.txt", "alpha");
    RunJob("0");
    EXPECT_FALSE(Copied());
    EXPECT_EQ(station.JobsCutShort, 1u);  // ferrolin-cli run reports the job as failed
    ASSERT_EQ(surfaces.errors.size(), 3u);
    EXPECT_NE(surfaces.errors[0].find("Necessary secrets"), std::string::npos);
    EXPECT_NE(surfaces.errors[1].find("Timeout on Ras connect"), std::string::npos);
    // The job's own line: why it did not end ok.
    EXPECT_NE(surfaces.errors[2].find(": cut short: Dial-up line Office VPN did not come up"),
              std::string::npos)
        << surfaces.errors[2];
    EXPECT_NE(ReadFile(home / "Ferrolin.log").find("Timeout on Ras connect"), std::string::npos);
}

TEST_F(DialUpJob, WithoutNetworkManagerJobsRunWithoutDialling) {
    StartMock(false);
    EXPECT_EQ(station.RasEntries, std::vector<std::string>{"RAS disabled"});
    WriteFile(src / "a.txt", "alpha");
    RunJob("0");
    EXPECT_TRUE(Copied());
    EXPECT_EQ(station.RasIndex, -1);
    EXPECT_TRUE(surfaces.errors.empty());
}

}  // namespace
}  // namespace ferrolin
