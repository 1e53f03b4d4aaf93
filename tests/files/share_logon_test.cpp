#include "files/share_logon.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "copy_test_util.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

using namespace std::chrono_literals;

// Answers with a scripted code and records what it was asked.
class ScriptedConnector : public platform::ShareConnector {
public:
    int32_t answer = 0;
    std::vector<std::string> asked;
    int32_t AddConnection(const std::string& remote, const std::string& user,
                          const std::string& password) override {
        asked.push_back(remote + "|" + user + "|" + password);
        return answer;
    }
    std::string LastExtendedError() override { return "provider says no"; }
};

TEST(ShareLogonTest, LocalPathsAndEmptyUserNamesAreLeftAlone) {
    CopyContext copy;
    ScriptedConnector connector;
    copy.Status.SetStatus("before");
    EXPECT_EQ(ConnectShare(copy.Status, "/data/in/file.mpg", "user", "pw", connector, 0ms), 0);
    EXPECT_EQ(ConnectShare(copy.Status, "//server/share/file.mpg", "", "pw", connector, 0ms), 0);
    EXPECT_TRUE(connector.asked.empty());
    EXPECT_EQ(copy.Status.StatusStr, "before");
}

TEST(ShareLogonTest, ResultsAndTextsByConnectorAnswer) {
    CopyContext copy;
    const struct {
        int32_t answer;
        int32_t result;
        std::string status;
    } cases[] = {
        {0, 0, "Connected"},
        {platform::ERROR_EXTENDED_ERROR, platform::ERROR_EXTENDED_ERROR,
         "Error: provider says no Extendet_Error"},
        {platform::ERROR_SESSION_CREDENTIAL_CONFLICT, 0, "Error: Session_Credential_Conflict"},
        {EACCES, EACCES, "Error: " + SysErrorText(EACCES)},
    };
    for (const auto& c : cases) {
        ScriptedConnector connector;
        connector.answer = c.answer;
        EXPECT_EQ(ConnectShare(copy.Status, "//server/share/dir/f.mpg", "u", "p", connector, 0ms), c.result);
        EXPECT_EQ(copy.Status.StatusStr, c.status);
        ASSERT_EQ(connector.asked.size(), 1u);
        EXPECT_EQ(connector.asked[0], "//server/share|u|p");
    }
}

TEST(ShareLogonTest, ThisBuildReachesNoShareAndPausesAfterTheFailure) {
    CopyContext copy;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ConnectShare(copy.Status, "//server/share/x", "u", "p"), platform::ERROR_SHARE_UNREACHABLE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(copy.Status.StatusStr, "Error: " + SysErrorText(platform::ERROR_SHARE_UNREACHABLE));
}

TEST(ShareLogonTest, RemoteNameIsThePathUpToItsFourthSeparator) {
    EXPECT_EQ(ShareRemoteName("//srv/media/a/b.mpg"), "//srv/media");
    EXPECT_EQ(ShareRemoteName("//srv/media/"), "//srv/media");
    EXPECT_EQ(ShareRemoteName("//srv/media"), "//srv/media");
}

}  // namespace
}  // namespace ferrolin
