// Logging on to a real SMB server (smbd on a loopback port): what the logon answers, the
// texts the operator sees, and that one connection per share and user serves the run.
#include <gtest/gtest.h>

#include <chrono>

#include "files/copy_context.h"
#include "files/share_logon.h"
#include "platform/errors.h"
#include "protocols/smb_shares.h"
#include "support/smb_servers.h"

namespace ferrolin {
namespace {

using namespace std::chrono_literals;

class SmbLogonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        ASSERT_TRUE(server_.Ready()) << server_.Log();
        copy_.Files.SetShares(&shares_, &shares_);
    }
    int32_t Connect(const std::string& path, const std::string& user, const std::string& password,
                    std::chrono::milliseconds pause = 0ms) {
        return ConnectShare(copy_.Status, path, user, password, copy_.Files.Connector(), pause);
    }

    test::SambaServer server_;
    test::ScopedHome home_{server_.Home()};
    SmbShares shares_;
    CopyContext copy_;
};

TEST_F(SmbLogonTest, GoodLogonConnectsOnceAndServesEveryLaterCall) {
    const std::string file = server_.SharePath() + "/sub/file.mpg";
    EXPECT_EQ(Connect(file, server_.User(), server_.Password()), 0);
    EXPECT_EQ(copy_.Status.StatusStr, "Connected");
    EXPECT_EQ(shares_.ConnectionCount(), 1u);
    // The per-file logon of a job: same share, same user, no second connection.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Connect(file, server_.User(), server_.Password()), 0);
    EXPECT_EQ(shares_.ConnectionCount(), 1u);

    // The same share under other credentials: the open connection goes on serving.
    EXPECT_EQ(Connect(file, "someone", "else"), 0);
    EXPECT_EQ(copy_.Status.StatusStr, "Error: Session_Credential_Conflict");
    EXPECT_EQ(shares_.ConnectionCount(), 1u);

    // A path written the Windows way names the same share.
    std::string windows = file;
    for (char& c : windows)
        if (c == '/') c = '\\';
    EXPECT_EQ(shares_.AddConnection(windows, server_.User(), server_.Password()), 0);
    EXPECT_EQ(shares_.ConnectionCount(), 1u);
}

TEST_F(SmbLogonTest, RefusedLogonsNameTheirCauseAndPause) {
    const std::string closedPort = "//127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false));
    const struct {
        std::string path;
        std::string password;
        int32_t code;
        std::string text;
    } cases[] = {
        {server_.SharePath() + "/f", "wrong", platform::ERROR_LOGON_FAILURE,
         "Logon failure: unknown user name or bad password."},
        {server_.SharePath("nosuchshare") + "/f", server_.Password(), platform::ERROR_BAD_NET_NAME,
         "The network name cannot be found."},
        {closedPort + "/share/f", server_.Password(), platform::ERROR_SERVER_UNREACHABLE,
         "The server cannot be reached."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Connect(c.path, server_.User(), c.password, 50ms), c.code);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
        EXPECT_EQ(copy_.Status.StatusStr.rfind("Error: ", 0), 0u);
        EXPECT_NE(copy_.Status.StatusStr.find(c.text), std::string::npos) << copy_.Status.StatusStr;
        // No password in what the operator reads.
        EXPECT_EQ(copy_.Status.StatusStr.find(c.password), std::string::npos);
    }
    // A refused logon leaves nothing behind: the right password then connects.
    EXPECT_EQ(Connect(server_.SharePath() + "/f", server_.User(), server_.Password()), 0);
    EXPECT_EQ(copy_.Status.StatusStr, "Connected");
}

TEST_F(SmbLogonTest, ShareTheUserMayNotEnterIsRefused) {
    const int32_t code =
        Connect(server_.SharePath("closed") + "/f", server_.User(), server_.Password());
    EXPECT_EQ(code, platform::ERROR_SHARE_ACCESS_DENIED) << copy_.Status.StatusStr;
    EXPECT_NE(copy_.Status.StatusStr.find("Access to the share is denied."), std::string::npos);
}

}  // namespace
}  // namespace ferrolin
