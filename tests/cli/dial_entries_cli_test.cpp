// ferrolin-cli dial-entries against a NetworkManager stand-in on a private bus, and with
// no NetworkManager on that bus.
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/nm_mock.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

test::CommandResult DialEntries(const test::TempDir& home) {
    return test::RunCommand({FERROLIN_CLI_PATH, "dial-entries"}, {{"FERROLIN_HOME", home.path()}});
}

TEST(DialEntriesCli, ListsTheProfilesOrSaysUnavailable) {
    if (!test::NmMock::Possible()) GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing";
    test::TempDir home;
    {
        test::NmMock mock({{"Office VPN", "vpn"}, {"lo", "loopback"}, {"Modem", "gsm"}});
        ASSERT_TRUE(mock.Ready());
        const test::CommandResult listed = DialEntries(home);
        EXPECT_EQ(listed.exitCode, 0) << listed.errors;
        EXPECT_EQ(listed.output, "Office VPN\nModem\n");
    }
    test::NmMock busOnly({}, false);
    ASSERT_TRUE(busOnly.Ready());
    const test::CommandResult absent = DialEntries(home);
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_EQ(absent.output, "dial-up is unavailable\n");
}

}  // namespace
}  // namespace ferrolin
