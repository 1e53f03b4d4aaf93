// The session over SFTP (password, key, key with passphrase) and over FTP with explicit
// and implicit TLS: the operations the FTP jobs use, with the same texts as plain FTP.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "platform/file_time_units.h"
#include "remote/secure_session_fixture.h"

namespace ferrolin::test {
namespace {

std::string KindName(const testing::TestParamInfo<SecurePeerKind>& info) {
    switch (info.param) {
        case SecurePeerKind::SftpPassword:
            return "sftp_password";
        case SecurePeerKind::SftpKey:
            return "sftp_key";
        case SecurePeerKind::SftpLockedKey:
            return "sftp_key_with_passphrase";
        case SecurePeerKind::Ftpes:
            return "ftpes";
        case SecurePeerKind::Ftps:
            return "ftps";
    }
    return "unknown";
}

int64_t ModifiedUnix(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_mtime) : -1;
}

class SecureSessionFlows : public testing::TestWithParam<SecurePeerKind> {
  protected:
    void SetUp() override {
        if (!SecurePeerAvailable(GetParam())) GTEST_SKIP() << "server not installed";
        AttachToFace(session_, surfaces_);
        peer_ = StartSecurePeer(GetParam());
        ASSERT_TRUE(peer_->daemon().Ready()) << peer_->daemon().Log();
        session_.SetTimeOuts(FtpTimeouts::TCS_High);
    }
    bool Sftp() const { return peer_->logon.scheme == FtpScheme::Sftp; }
    std::string Remote(const std::string& name) const { return peer_->remoteDir + "/" + name; }

    PumpSurfaces surfaces_;
    FtpSession session_{surfaces_};
    std::unique_ptr<SecurePeer> peer_;
    TempDir local_;
};

TEST_P(SecureSessionFlows, ListTransferRenameDelete) {
    // Listed with exact times, names with blanks and quotes, folders apart from files.
    const int64_t stamp = 1583298367;  // 2020-03-04 05:06:07 UTC: a listing shows no seconds
    WriteFileAt(peer_->localDir + "/a.txt", "12345", stamp);
    WriteFileAt(peer_->localDir + "/it's \"quoted\".txt", "xy", stamp);
    WriteFileAt(peer_->localDir + "/sub/inner.txt", "inner", stamp);
    chmod((peer_->localDir + "/sub").c_str(), 0755);
    if (Sftp()) SshServer::GiveToUser(peer_->localDir);

    ASSERT_TRUE(peer_->Connect(session_)) << session_.LastError();
    EXPECT_EQ(session_.Scheme(), peer_->logon.scheme);
    ASSERT_TRUE(session_.ChangeDir(peer_->remoteDir + "/", true));
    ASSERT_EQ(session_.FtpState(), FtpOperationState::Done) << session_.LastError();
    EXPECT_EQ(session_.CurrentFolder(), peer_->remoteDir);
    EXPECT_TRUE(session_.ListingComplete());
    auto files = session_.RemoteFiles();
    std::sort(files.begin(), files.end(),
              [](const FtpEntry& a, const FtpEntry& b) { return a.name < b.name; });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "a.txt");
    EXPECT_EQ(files[0].size, 5);
    EXPECT_EQ(files[1].name, "it's \"quoted\".txt");
    // SFTP gives each file's own time to the second; FTP's LIST the day of an old file.
    if (Sftp()) {
        EXPECT_EQ(files[0].fileTime, UnixToFileTime(stamp, 0));
    }
    const auto& entries = session_.Listing();
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                            [](const FtpEntry& e) { return e.type == FtpEntryType::Directory; }),
              1);
    ASSERT_TRUE(session_.ChangeDir("sub", false));
    EXPECT_EQ(session_.CurrentFolder(), peer_->remoteDir + "/sub");
    ASSERT_TRUE(session_.ChangeDir("..", false));
    EXPECT_EQ(session_.CurrentFolder(), peer_->remoteDir);

    // Upload, rename, download, delete, with the FTP texts.
    std::string content(2 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(11);
    for (char& c : content) c = static_cast<char>(random());
    WriteFile(local_ / "source.bin", content);
    const auto size = static_cast<int64_t>(content.size());
    ASSERT_TRUE(session_.SendFile(local_ / "source.bin", Remote("up.bin.tmp"), size))
        << session_.LastError();
    EXPECT_EQ(ReadFile(peer_->localDir + "/up.bin.tmp"), content);
    EXPECT_EQ(surfaces_.gaugeText.rfind("Uploade speed ", 0), 0u) << surfaces_.gaugeText;
    EXPECT_EQ(session_.TransferText(), "Transfer complete.");
    ASSERT_TRUE(session_.RenameFile(Remote("up.bin.tmp"), Remote("up.bin"), 100))
        << session_.LastError();
    ASSERT_TRUE(session_.ReceiveFile(Remote("up.bin"), local_ / "back.bin", size));
    EXPECT_EQ(ReadFile(local_ / "back.bin"), content);
    EXPECT_EQ(surfaces_.gaugeText.rfind("Download speed ", 0), 0u) << surfaces_.gaugeText;
    FtpFileFacts facts;
    ASSERT_TRUE(session_.RemoteFileFacts(Remote("up.bin"), facts)) << session_.LastError();
    EXPECT_EQ(facts.size, size);

    // A quoted name is one name to every command.
    ASSERT_TRUE(session_.RenameFile(Remote("it's \"quoted\".txt"), Remote("plain.txt"), 100))
        << session_.LastError();
    ASSERT_TRUE(session_.DeleteFile(Remote("plain.txt"), 100)) << session_.LastError();
    EXPECT_EQ(LocalFileSize(peer_->localDir + "/plain.txt"), -1);
    ASSERT_TRUE(session_.DeleteFile(Remote("up.bin"), 100));
    EXPECT_EQ(LocalFileSize(peer_->localDir + "/up.bin"), -1);

    // Zero bytes travel too.
    WriteFile(local_ / "empty", "");
    ASSERT_TRUE(session_.SendFile(local_ / "empty", Remote("empty"), 0)) << session_.LastError();
    EXPECT_EQ(LocalFileSize(peer_->localDir + "/empty"), 0);

    // Folders.
    ASSERT_TRUE(session_.MakeDir(Remote("made"))) << session_.LastError();
    EXPECT_TRUE(ReadFile(peer_->localDir + "/made").empty());
    ASSERT_TRUE(session_.RemoveDir(Remote("made"))) << session_.LastError();

    // Failures: the FTP texts, and the session goes on.
    EXPECT_FALSE(session_.DeleteFile(Remote("none"), 100));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at delete file: " + Remote("none"));
    EXPECT_FALSE(session_.RenameFile(Remote("none"), Remote("other"), 100));
    EXPECT_EQ(surfaces_.statusTexts.back(),
              "Exception at rename file: " + Remote("none") + " to " + Remote("other"));
    EXPECT_FALSE(session_.ReceiveFile(Remote("none"), local_ / "none.tmp", 10));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at receive file: " + Remote("none"));
    EXPECT_TRUE(session_.ChangeDir("/no/such/folder/", true));
    EXPECT_EQ(surfaces_.statusTexts.back(), "ChangeDir failed");
    EXPECT_TRUE(session_.Listing().empty());
    EXPECT_TRUE(session_.StillConnected());
    ASSERT_TRUE(session_.ChangeDir(peer_->remoteDir, true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);
}

TEST_P(SecureSessionFlows, RemoteTimesCanBeSetWhereTheServerAllows) {
    WriteFile(local_ / "t.txt", "time");
    ASSERT_TRUE(peer_->Connect(session_)) << session_.LastError();
    ASSERT_TRUE(session_.SendFile(local_ / "t.txt", Remote("t.txt"), 4));
    const int64_t stamp = 1262401445;  // 2010-01-02 03:04:05 UTC
    // SFTP can; vsftpd announces no MFMT.
    EXPECT_EQ(session_.CanSetRemoteFileTimes(), Sftp());
    EXPECT_EQ(session_.SetRemoteFileTime(Remote("t.txt"), UnixToFileTime(stamp, 0)), Sftp())
        << session_.LastError();
    if (!Sftp()) return;
    EXPECT_EQ(ModifiedUnix(peer_->localDir + "/t.txt"), stamp);
    ASSERT_TRUE(session_.ChangeDir(peer_->remoteDir, true));
    ASSERT_EQ(session_.RemoteFiles().size(), 1u);
    EXPECT_EQ(session_.RemoteFiles()[0].fileTime, UnixToFileTime(stamp, 0));
}

TEST_P(SecureSessionFlows, RateLimitAndCancel) {
    MakeSparseFile(peer_->localDir + "/big.bin", 64 << 20);
    if (Sftp()) SshServer::GiveToUser(peer_->localDir);
    ASSERT_TRUE(peer_->Connect(session_)) << session_.LastError();
    // 1 MiB/s: the 64 MiB would take a minute; Cancel after half a second ends it.
    session_.SetRateLimit(1 << 20);
    CancelToken cancel;
    session_.SetCancelToken(&cancel);
    const auto start = std::chrono::steady_clock::now();
    surfaces_.onPump = [&] {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500))
            cancel.Stop();
    };
    EXPECT_FALSE(session_.ReceiveFile(Remote("big.bin"), local_ / "big.bin", 64 << 20));
    const auto stopped = std::chrono::steady_clock::now() - start;
    // Within a few seconds' worth of the limit, also for SFTP's read-ahead.
    EXPECT_LT(LocalFileSize(local_ / "big.bin"), 8 << 20);
    EXPECT_LT(stopped, std::chrono::seconds(20));
    EXPECT_EQ(session_.LastError(), "Transfer aborted");
    surfaces_.onPump = nullptr;
    // The session is usable after the abort.
    cancel.Reset();
    session_.SetRateLimit(0);
    ASSERT_TRUE(session_.ChangeDir(peer_->remoteDir, true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done) << session_.LastError();
}

INSTANTIATE_TEST_SUITE_P(Servers, SecureSessionFlows,
                         testing::Values(SecurePeerKind::SftpPassword, SecurePeerKind::SftpKey,
                                         SecurePeerKind::SftpLockedKey, SecurePeerKind::Ftpes,
                                         SecurePeerKind::Ftps),
                         KindName);

}  // namespace
}  // namespace ferrolin::test
