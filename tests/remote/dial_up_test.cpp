// Dial-up lines against a NetworkManager stand-in on a private bus: entries, dialling
// that succeeds, fails with NetworkManager's reason, or gets no answer, Cancel, and a bus
// without NetworkManager.
#include <gtest/gtest.h>

#include "remote/ras_dial_up.h"
#include "support/fake_clock.h"
#include "support/nm_mock.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::NmMock;

const std::vector<std::pair<std::string, std::string>> kProfiles = {
    {"Office VPN", "vpn"}, {"Dial-in modem", "gsm"}, {"lo", "loopback"}, {"Branch PPPoE", "pppoe"}};

class DialUp : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NmMock::Possible()) GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing";
        mock = std::make_unique<NmMock>(kProfiles);
        ASSERT_TRUE(mock->Ready());
        ras = std::make_unique<RasDialUp>(surfaces, clock, dir / "Ferrolin.log", cancel);
        // Short waits: 40 cycles of 25 ms.
        ras->TimeOutCycles = 40;
        ras->CycleMs = 25;
    }

    std::unique_ptr<NmMock> mock;
    test::TempDir dir;
    test::RecordingSurfaces surfaces;
    test::FakeClock clock;
    CancelToken cancel;
    std::unique_ptr<RasDialUp> ras;
};

TEST_F(DialUp, EntriesAreTheProfilesButLoopback) {
    std::vector<std::string> seen;
    ras->DialUp.OnEntryGet = [&](const std::string& entry) { seen.push_back(entry); };
    EXPECT_EQ(ras->DialUp.GetEntries(), 0);
    const std::vector<std::string> expected{"Office VPN", "Dial-in modem", "Branch PPPoE"};
    EXPECT_EQ(ras->DialUp.Entries, expected);
    EXPECT_EQ(seen, expected);
}

TEST_F(DialUp, DialConnectsWithinTheWaitAndHangsUp) {
    ASSERT_TRUE(mock->SetBehaviour(0, "succeed", 100));
    EXPECT_TRUE(ras->DialRas("Office VPN"));
    EXPECT_EQ(ras->RasState, RS_Connected);
    EXPECT_EQ(ras->LStatus, "Connected");
    EXPECT_TRUE(surfaces.errors.empty());
    EXPECT_EQ(mock->ActiveCount(), 1);

    // The active connections list the line with its state.
    std::vector<std::string> lines;
    ras->DialUp.OnActiveConnection = [&](const std::string&, int state, const std::string& text,
                                         const std::string& entry, const std::string&,
                                         const std::string&) {
        lines.push_back(entry + " " + std::to_string(state) + " " + text);
    };
    EXPECT_EQ(ras->DialUp.GetConnections(), 0);
    EXPECT_EQ(lines, std::vector<std::string>{"Office VPN 8192 Connected"});

    ras->HangUp();
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
}

TEST_F(DialUp, FailureGivesTheReasonFirstThenTheTimeOutLine) {
    ASSERT_TRUE(mock->SetBehaviour(1, "fail", 50, 10));
    EXPECT_FALSE(ras->DialRas("Dial-in modem"));
    EXPECT_EQ(ras->RasState, RS_Failed);
    ASSERT_EQ(surfaces.errors.size(), 2u);
    EXPECT_NE(surfaces.errors[0].find(" Authentication to the server failed"), std::string::npos);
    EXPECT_NE(surfaces.errors[1].find(" Timeout on Ras connect"), std::string::npos);
    const std::string log = test::ReadFile(dir / "Ferrolin.log");
    EXPECT_NE(log.find("Authentication to the server failed"), std::string::npos);
    EXPECT_LT(log.find("Authentication"), log.find("Timeout on Ras connect"));
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
}

TEST_F(DialUp, NoAnswerTimesOutAndHangsUp) {
    ASSERT_TRUE(mock->SetBehaviour(3, "hang", 0));
    EXPECT_FALSE(ras->DialRas("Branch PPPoE"));
    ASSERT_EQ(surfaces.errors.size(), 1u);
    EXPECT_NE(surfaces.errors[0].find(" Timeout on Ras connect" + ras->LStatus), std::string::npos);
    EXPECT_EQ(ras->LStatus, "Connecting device");
    EXPECT_GT(surfaces.gaugePosition, 80);  // the gauge ran while it waited
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
}

TEST_F(DialUp, UnknownEntryAndCancelEndTheWait) {
    EXPECT_FALSE(ras->DialRas("Nowhere"));
    ASSERT_EQ(surfaces.errors.size(), 2u);
    EXPECT_NE(surfaces.errors[0].find("GetEntryDialParams failed"), std::string::npos);

    ASSERT_TRUE(mock->SetBehaviour(3, "hang", 0));
    ras->TimeOutCycles = 0;  // 0: no limit; only Cancel ends this wait
    cancel.Cancel();
    EXPECT_FALSE(ras->DialRas("Branch PPPoE"));
    EXPECT_TRUE(test::WaitFor([&] { return mock->ActiveCount() == 0; }));
}

TEST(DialUpAbsent, BusWithoutNetworkManagerIsUnavailable) {
    if (!NmMock::Possible()) GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing";
    NmMock bus({}, false);
    ASSERT_TRUE(bus.Ready());
    NetworkDialUp dialUp;
    EXPECT_FALSE(dialUp.Available());
    EXPECT_EQ(dialUp.GetEntries(), kRasErrorUnavailable);
    EXPECT_TRUE(dialUp.Entries.empty());
}

}  // namespace
}  // namespace ferrolin
