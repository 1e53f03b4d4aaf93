// The session against real servers: pyftpdlib (MLSD, UTF8), vsftpd passive and active
// (LIST only). The same flows run on each.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <random>

#include "common/datetime_format.h"
#include "remote/ftp_session_fixture.h"
#include "remote/ftp_texts.h"

namespace ferrolin::test {
namespace {

enum class Peer { PyFtp, VsftpdPassive, VsftpdActive };

std::string PeerName(const testing::TestParamInfo<Peer>& info) {
    switch (info.param) {
        case Peer::PyFtp:
            return "pyftpdlib";
        case Peer::VsftpdPassive:
            return "vsftpd_passive";
        case Peer::VsftpdActive:
            return "vsftpd_active";
    }
    return "unknown";
}

class FtpSessionFlows : public testing::TestWithParam<Peer> {
  protected:
    void SetUp() override {
        AttachToFace(session_, surfaces_);
        const bool vsftpd = GetParam() != Peer::PyFtp;
        if (vsftpd ? !VsftpdServer::Available() : !PyFtpServer::Available()) {
            GTEST_SKIP() << "server not installed";
        }
        peer_ = vsftpd ? StartVsftpd(GetParam() == Peer::VsftpdPassive) : StartPyFtp();
        ASSERT_TRUE(peer_.daemon().Ready()) << peer_.daemon().Log();
        session_.SetTimeOuts(FtpTimeouts::TCS_High);
    }

    // A recent whole minute: LIST shows times (not years) for it.
    static int64_t RecentMinute() { return (std::time(nullptr) - 3600) / 60 * 60; }

    PumpSurfaces surfaces_;
    FtpSession session_{surfaces_};
    FtpPeer peer_;
    TempDir local_;
};

TEST_P(FtpSessionFlows, ConnectListAndChangeFolder) {
    const int64_t stamp = RecentMinute();
    WriteFileAt(peer_.LocalDir() + "/a.txt", "12345", stamp);
    WriteFileAt(peer_.LocalDir() + "/name with blanks.txt", "xy", stamp);
    WriteFileAt(peer_.LocalDir() + "/2014", "1", stamp);
    WriteFileAt(peer_.LocalDir() + "/sub/inner.txt", "inner", stamp);
    chmod((peer_.LocalDir() + "/sub").c_str(), 0755);

    ASSERT_TRUE(peer_.Connect(session_)) << surfaces_.statusTexts.back();
    EXPECT_TRUE(session_.Connected());
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);

    EXPECT_TRUE(session_.ChangeDir("/pub/", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);
    EXPECT_EQ(session_.CurrentFolder(), "/pub");
    auto lines = session_.GetRemoteFilenames();
    std::sort(lines.begin(), lines.end());
    const std::string when = DateTimeToStr(UnixToLocalDateTime(stamp));
    EXPECT_EQ(lines, (std::vector<std::string>{"2014\t1\t" + when, "a.txt\t5\t" + when,
                                               "name with blanks.txt\t2\t" + when}));
    // The folder is in the typed listing, not in the lines.
    const auto& entries = session_.Listing();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const FtpEntry& e) {
        return e.name == "sub" && e.type == FtpEntryType::Directory;
    }));

    // Relative to the current folder.
    EXPECT_TRUE(session_.ChangeDir("sub", false));
    EXPECT_EQ(session_.CurrentFolder(), "/pub/sub");
    ASSERT_EQ(session_.GetRemoteFilenames().size(), 1u);
    EXPECT_EQ(session_.GetRemoteFilenames()[0].substr(0, 10), "inner.txt\t");

    // An empty folder without Force does nothing at all.
    surfaces_.statusTexts.clear();
    EXPECT_TRUE(session_.ChangeDir("", false));
    EXPECT_EQ(session_.CurrentFolder(), "/pub/sub");
    EXPECT_TRUE(surfaces_.statusTexts.empty());

    // A folder that does not exist: "ChangeDir failed", and no listing is left over.
    EXPECT_TRUE(session_.ChangeDir("/no/such/folder/", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Failed);
    EXPECT_EQ(surfaces_.statusTexts.back(), "ChangeDir failed");
    EXPECT_TRUE(session_.GetRemoteFilenames().empty());
    EXPECT_TRUE(session_.Listing().empty());
}

TEST_P(FtpSessionFlows, UploadRenameDownloadDelete) {
    std::string content(3 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(7);
    for (char& c : content) c = static_cast<char>(random());
    WriteFile(local_ / "source.bin", content);
    const auto size = static_cast<int64_t>(content.size());

    ASSERT_TRUE(peer_.Connect(session_));
    ASSERT_TRUE(session_.SendFile(local_ / "source.bin", "/pub/up.bin.tmp", size))
        << session_.LastError();
    EXPECT_EQ(ReadFile(peer_.LocalDir() + "/up.bin.tmp"), content);
    EXPECT_EQ(surfaces_.gaugeText.rfind("Uploade speed ", 0), 0u) << surfaces_.gaugeText;
    EXPECT_EQ(surfaces_.gaugePosition, 100);
    EXPECT_EQ(session_.TransferText(), "Transfer complete.");

    ASSERT_TRUE(session_.RenameFile("/pub/up.bin.tmp", "/pub/up.bin", 100));
    EXPECT_EQ(LocalFileSize(peer_.LocalDir() + "/up.bin.tmp"), -1);

    ASSERT_TRUE(session_.ReceiveFile("/pub/up.bin", local_ / "back.bin.tmp", size))
        << session_.LastError();
    EXPECT_EQ(ReadFile(local_ / "back.bin.tmp"), content);
    EXPECT_EQ(surfaces_.gaugeText.rfind("Download speed ", 0), 0u) << surfaces_.gaugeText;

    // A download replaces what the local file held before.
    WriteFile(local_ / "back.bin.tmp", std::string(size + 1000, 'x'));
    ASSERT_TRUE(session_.ReceiveFile("/pub/up.bin", local_ / "back.bin.tmp", size));
    EXPECT_EQ(LocalFileSize(local_ / "back.bin.tmp"), size);

    ASSERT_TRUE(session_.DeleteFile("/pub/up.bin", 100));
    EXPECT_EQ(LocalFileSize(peer_.LocalDir() + "/up.bin"), -1);

    // Failures: each its own status text, false, and the session goes on.
    EXPECT_FALSE(session_.DeleteFile("/pub/up.bin", 100));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at delete file: /pub/up.bin");
    EXPECT_FALSE(session_.RenameFile("/pub/none", "/pub/other", 100));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at rename file: /pub/none to /pub/other");
    EXPECT_FALSE(session_.ReceiveFile("/pub/none", local_ / "none.tmp", 10));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at receive file: /pub/none");
    EXPECT_FALSE(session_.SendFile(local_ / "missing.bin", "/pub/m.bin", 10));
    EXPECT_EQ(surfaces_.statusTexts.back(),
              "Exception: No such file or directory at send file:" + (local_ / "missing.bin"));
    EXPECT_TRUE(session_.ChangeDir("/pub", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);
}

TEST_P(FtpSessionFlows, ZeroByteFilesTravelToo) {
    WriteFile(local_ / "empty", "");
    ASSERT_TRUE(peer_.Connect(session_));
    ASSERT_TRUE(session_.SendFile(local_ / "empty", "/pub/empty", 0)) << session_.LastError();
    EXPECT_EQ(surfaces_.gaugePosition, 0);  // nothing to compute a percentage from
    EXPECT_EQ(LocalFileSize(peer_.LocalDir() + "/empty"), 0);
    ASSERT_TRUE(session_.ReceiveFile("/pub/empty", local_ / "empty.back", 0));
    EXPECT_EQ(LocalFileSize(local_ / "empty.back"), 0);
}

TEST_P(FtpSessionFlows, OneControlConnectionForAllOperations) {
    WriteFileAt(peer_.LocalDir() + "/f.txt", "data", RecentMinute());
    WriteFile(local_ / "u.txt", "upload");
    ASSERT_TRUE(peer_.Connect(session_));
    // Connecting again to the same server and login reuses the open session.
    ASSERT_TRUE(peer_.Connect(session_));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(session_.ChangeDir("/pub/", true));
        ASSERT_TRUE(session_.ReceiveFile("/pub/f.txt", local_ / "f.tmp", 4));
        ASSERT_TRUE(session_.SendFile(local_ / "u.txt", "/pub/u.txt", 6));
        ASSERT_TRUE(session_.DeleteFile("/pub/u.txt", 100));
    }
    session_.DisconnectFTP();
    EXPECT_FALSE(session_.Connected());
    EXPECT_EQ(session_.TransferText(), "Disconnected.");
    auto serverLog = [&] {
        return GetParam() == Peer::PyFtp ? peer_.py->Log() : peer_.vs->ProtocolLog();
    };
    // The session ends with QUIT, not with a dropped line (vsftpd logs every command).
    if (peer_.vs) {
        EXPECT_TRUE(WaitFor([&] { return serverLog().find("\"QUIT\"") != std::string::npos; }))
            << serverLog();
    }
    const std::string log = serverLog();
    // Logins, not connections: the start-up probe connects too.
    const std::string opened = GetParam() == Peer::PyFtp ? "logged in" : "OK LOGIN";
    size_t connections = 0;
    for (size_t at = log.find(opened); at != std::string::npos; at = log.find(opened, at + 1)) {
        ++connections;
    }
    EXPECT_EQ(connections, 1u) << log;
}

TEST_P(FtpSessionFlows, BadLoginIsReportedWithoutThePassword) {
    const std::string password = "Sup3rSecretWord";
    const std::string user = GetParam() == Peer::PyFtp ? "tester" : "someone";
    EXPECT_FALSE(session_.ConnectToFTP(user, password, peer_.Host(), "21", true));
    EXPECT_FALSE(session_.Connected());
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Failed);
    ASSERT_FALSE(surfaces_.statusTexts.empty());
    const std::string& text = surfaces_.statusTexts.back();
    EXPECT_EQ(text.rfind("Exception on Connect: ", 0), 0u) << text;
    EXPECT_NE(text.find("530"), std::string::npos) << text;
    for (const std::string& shown : surfaces_.statusTexts) {
        EXPECT_EQ(shown.find(password), std::string::npos) << shown;
    }
    EXPECT_EQ(session_.LastError().find(password), std::string::npos);
    // Operations without a session fail cleanly.
    EXPECT_TRUE(session_.ChangeDir("/pub", true));
    EXPECT_EQ(surfaces_.statusTexts.back(), "ChangeDir failed");
    EXPECT_FALSE(session_.DeleteFile("/pub/x", 100));
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpSessionFlows,
                         testing::Values(Peer::PyFtp, Peer::VsftpdPassive, Peer::VsftpdActive),
                         PeerName);

}  // namespace
}  // namespace ferrolin::test
