// ferrolin-cli sync-now against a real NTP server. The test program gives up the right to
// set the clock first; the command it starts inherits that, so a run without --dry-run
// shows how a station without the right reports: as a failure that says why.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "support/child_process.h"
#include "support/clock_rights.h"
#include "support/temp_dir.h"
#include "support/time_servers.h"

namespace ferrolin::test {
namespace {

const bool kClockRightsDropped = DropClockSettingRights();

// The signed number of seconds after "Difference:" in the command's output.
std::optional<double> DifferenceSeconds(const std::string& output) {
    const std::string label = "Difference:";
    const size_t at = output.find(label);
    if (at == std::string::npos) return std::nullopt;
    const char* begin = output.c_str() + at + label.size();
    char* end = nullptr;
    const double seconds = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    return seconds;
}

class SyncNowCommandTest : public ::testing::Test {
protected:
    void WriteSettings(const std::string& server, int protocol, const std::string& extra = "") {
        WriteFile(home / "Ferrolin.INI", "[InternetDateTimeSync]\r\nServer=" + server +
                                             "\r\nProtocol=" + std::to_string(protocol) +
                                             "\r\nMaxCorrection=1\r\n" + extra);
    }
    CommandResult SyncNow(std::vector<std::string> args) {
        args.insert(args.begin(), {FERROLIN_CLI_PATH, "sync-now"});
        return RunCommand(args, {{"FERROLIN_HOME", home.path()}});
    }

    TempDir home;
};

TEST_F(SyncNowCommandTest, DryRunPrintsServerTimeAndDifference) {
    if (!ChronyServer::Available()) GTEST_SKIP() << "chronyd is not installed";
    ChronyServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    WriteSettings(server.Address(), 0, "TimeOffset=120000\r\n");
    const CommandResult r = SyncNow({"--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.output << r.errors;
    EXPECT_NE(r.output.find("Time server: " + server.Address() + " (SNTP (123))"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("Server time: "), std::string::npos) << r.output;
    // Two minutes of offset: "Sync now" is not limited by MaxCorrection=1. The figure
    // also holds the query's round trip, so it is compared with a tolerance.
    EXPECT_NE(r.output.find("Difference:  +"), std::string::npos) << r.output;
    const std::optional<double> difference = DifferenceSeconds(r.output);
    ASSERT_TRUE(difference.has_value()) << r.output;
    EXPECT_NEAR(*difference, 120.0, 2.0) << r.output;
    EXPECT_NE(r.output.find("Dry run: the clock was not set."), std::string::npos) << r.output;
}

TEST_F(SyncNowCommandTest, WithoutTheRightToSetTheClockItFailsAndSaysWhy) {
    if (!kClockRightsDropped) GTEST_SKIP() << "could not give up the right to set the clock";
    if (!XinetdTimeServer::Available()) GTEST_SKIP() << "xinetd is not installed";
    XinetdTimeServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    WriteSettings(server.Address(), 1);
    const CommandResult r = SyncNow({});
    EXPECT_EQ(r.exitCode, 1) << r.output << r.errors;
    EXPECT_NE(r.output.find("Server time: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Failed: The clock could not be set: Operation not permitted"),
              std::string::npos)
        << r.output;
}

TEST_F(SyncNowCommandTest, UnreachableServerFails) {
    WriteSettings("127.0.0.1:" + std::to_string(FreeLoopbackPort(true)), 0);
    const CommandResult r = SyncNow({"--dry-run"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("Failed: Time sync failed ("), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Server time"), std::string::npos) << r.output;
}

TEST_F(SyncNowCommandTest, OffsetThatIsNoNumberAndUnknownArgument) {
    WriteSettings("127.0.0.1:9", 0, "TimeOffset=soon\r\n");
    CommandResult r = SyncNow({"--dry-run"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("'soon' is not a valid integer value"), std::string::npos)
        << r.output;

    r = SyncNow({"--now"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.errors.find("unknown argument"), std::string::npos) << r.errors;
}

}  // namespace
}  // namespace ferrolin::test
