// ferrolin-cli run with SFTP, FTPES and FTPS jobs against a real sshd and vsftpd on
// loopback: the FTP kinds over each scheme, and servers that are not trusted, refuse the
// logon or go away mid-file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "remote/secure_session_fixture.h"
#include "support/child_process.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin::test {
namespace {

namespace fs = std::filesystem;

// Within the last half year and on a whole minute: vsftpd's listing shows such a time to
// the minute (older ones only to the day).
const int64_t kListedTime = (time(nullptr) - 86400) / 60 * 60;

int64_t ModificationTime(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

// A folder on the server that its user may write (vsftpd's anonymous user, the SFTP user).
void MakeWritableFolder(const std::string& path) {
    fs::create_directories(path);
    chmod(path.c_str(), 0777);
}

// Some file in folder has bytes: a transfer into it is under way.
bool AnyFileHasBytes(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && entry.file_size(error) > 0) return true;
    }
    return false;
}

size_t FileCount(const std::string& folder) {
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
    return files;
}

// The program folder is the peer's trust folder: known_hosts (SFTP) lives there, and the
// FTPS certificates are checked against the test CA.
std::map<std::string, std::string> EnvironmentFor(const SecurePeer& peer) {
    std::map<std::string, std::string> environment{{"FERROLIN_HOME", peer.trustDir.path()}};
    if (peer.certificates) environment["SSL_CERT_FILE"] = peer.certificates->CaFile();
    return environment;
}

CommandResult RunJobs(const SecurePeer& peer) {
    return RunCommand({FERROLIN_CLI_PATH, "run"}, EnvironmentFor(peer));
}

std::string LogOf(const SecurePeer& peer) {
    return ReadFile(peer.trustDir / "Ferrolin.log");
}

std::string AddressOf(const SecurePeer& peer, const std::string& folder) {
    return std::string(SchemePrefix(peer.logon.scheme)) + peer.logon.host + peer.remoteDir + folder;
}

// A job between a local folder and a folder on the peer, with the peer's logon on the
// remote side.
IniKeys JobWith(const SecurePeer& peer, bool download, const std::string& remoteFolder,
                const std::string& localFolder) {
    const std::string side = download ? "Source" : "Dest";
    IniKeys job = {{"SendeVerzeichnis", download ? AddressOf(peer, remoteFolder) : localFolder},
                   {"EmpfangsVerzeichnis", download ? localFolder : AddressOf(peer, remoteFolder)},
                   {side + "LName", peer.logon.user},
                   {side + "LPassword", peer.logon.password},
                   {"PassiveMode", "1"}};
    if (!peer.logon.sshKeyFile.empty()) job["SshKeyFile"] = peer.logon.sshKeyFile;
    return job;
}

class SecureRun : public testing::TestWithParam<SecurePeerKind> {
  protected:
    void SetUp() override {
        if (!SecurePeerAvailable(GetParam())) GTEST_SKIP() << "server not installed";
        peer_ = StartSecurePeer(GetParam());
        ASSERT_TRUE(peer_->daemon().Ready()) << peer_->daemon().Log();
    }
    bool Sftp() const { return peer_->logon.scheme == FtpScheme::Sftp; }
    CommandResult Run() { return RunJobs(*peer_); }
    std::string Log() const { return LogOf(*peer_); }
    void ExpectNoSecret(const CommandResult& result) {
        const std::string& secret = peer_->logon.password;
        if (secret.empty()) return;
        EXPECT_EQ(Log().find(secret), std::string::npos);
        EXPECT_EQ(result.output.find(secret), std::string::npos);
        EXPECT_EQ(result.errors.find(secret), std::string::npos);
    }

    std::unique_ptr<SecurePeer> peer_;
    TempDir src_, dst_;
};

// Download and upload with their times, a second run that fetches nothing (an upload sends
// its files again: the FTP upload compares nothing), then both jobs as mirrors: each
// deletes what its source no longer holds.
TEST_P(SecureRun, DownloadUploadNoOpAndMirrorBothWays) {
    const std::string in = peer_->localDir + "/in";
    const std::string out = peer_->localDir + "/out";
    MakeWritableFolder(in);
    MakeWritableFolder(out);
    WriteFileAt(in + "/x.txt", "x-content", kListedTime);
    WriteFileAt(in + "/big.bin", std::string(300000, 'b'), kListedTime);
    WriteFileAt(src_ / "a.txt", "alpha", kListedTime);
    std::vector<IniKeys> jobs = {JobWith(*peer_, true, "/in", dst_.path()),
                                 JobWith(*peer_, false, "/out", src_.path())};
    WriteJobIni(peer_->trustDir.path(), {}, jobs);

    const CommandResult first = Run();
    ASSERT_EQ(first.exitCode, 0) << first.errors << Log();
    EXPECT_EQ(ReadFile(dst_ / "x.txt"), "x-content");
    EXPECT_EQ(ReadFile(dst_ / "big.bin"), std::string(300000, 'b'));
    EXPECT_EQ(ModificationTime(dst_ / "x.txt"), kListedTime);
    EXPECT_EQ(ReadFile(out + "/a.txt"), "alpha");
    // SFTP sets the remote time; vsftpd offers no command for it.
    if (Sftp()) {
        EXPECT_EQ(ModificationTime(out + "/a.txt"), kListedTime);
    }
    EXPECT_EQ(FileCount(out), 1u);  // no temporary left
    EXPECT_EQ(CountOccurrences(Log(), "receive of " + peer_->remoteDir + "/in/x.txt successful"), 1)
        << Log();
    EXPECT_EQ(CountOccurrences(Log(), "send of "), 1) << Log();

    const CommandResult second = Run();
    EXPECT_EQ(second.exitCode, 0) << second.errors << Log();
    EXPECT_EQ(CountOccurrences(Log(), "receive of "), 2) << Log();

    WriteFile(dst_ / "orphan.txt", "local orphan");
    WriteFileAt(out + "/orphan.txt", "remote orphan", kListedTime);
    fs::remove(in + "/big.bin");
    for (IniKeys& job : jobs) job["CopyMode"] = "3";
    WriteJobIni(peer_->trustDir.path(), {}, jobs);
    const CommandResult mirror = Run();
    EXPECT_EQ(mirror.exitCode, 0) << mirror.errors << Log();
    EXPECT_FALSE(fs::exists(dst_ / "orphan.txt"));
    EXPECT_FALSE(fs::exists(dst_ / "big.bin"));
    EXPECT_FALSE(fs::exists(out + "/orphan.txt"));
    EXPECT_EQ(ReadFile(dst_ / "x.txt"), "x-content");
    EXPECT_EQ(ReadFile(out + "/a.txt"), "alpha");
    for (const CommandResult* result : {&first, &second, &mirror}) ExpectNoSecret(*result);
}

// The server's session dies in the middle of an upload: the final name never holds part
// of the file, and the next run completes it.
TEST_P(SecureRun, ServerKilledMidFileLeavesNoPartialFile) {
    const std::string out = peer_->localDir + "/out";
    MakeWritableFolder(out);
    const std::string content(4 << 20, 'k');
    WriteFile(src_ / "big.bin", content);
    IniKeys job = JobWith(*peer_, false, "/out", src_.path());
    job["MaxByteRate"] = "1";
    WriteJobIni(peer_->trustDir.path(), {}, {job});
    const CommandResult cut =
        RunCommandWith({FERROLIN_CLI_PATH, "run"}, EnvironmentFor(*peer_), [&](pid_t) {
            if (WaitFor([&] { return AnyFileHasBytes(out); }, std::chrono::seconds(20)))
                peer_->ssh ? peer_->ssh->KillSessions() : peer_->ftps->KillSessions();
        });
    // The job may reconnect and finish in the same run; never a part under the final name.
    if (fs::exists(out + "/big.bin")) {
        EXPECT_EQ(ReadFile(out + "/big.bin"), content);
    }
    if (cut.exitCode != 0) {
        EXPECT_NE(Log().find("big.bin"), std::string::npos) << Log();
    }

    job.erase("MaxByteRate");
    WriteJobIni(peer_->trustDir.path(), {}, {job});
    const CommandResult next = Run();
    EXPECT_EQ(next.exitCode, 0) << next.errors << Log();
    EXPECT_EQ(ReadFile(out + "/big.bin"), content);
    EXPECT_EQ(FileCount(out), 1u);
}

std::string SchemeName(const testing::TestParamInfo<SecurePeerKind>& info) {
    static const char* const names[] = {"SftpPassword", "SftpKey", "SftpLockedKey", "Ftpes",
                                        "Ftps"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Schemes, SecureRun,
                         testing::Values(SecurePeerKind::SftpPassword,
                                         SecurePeerKind::SftpLockedKey, SecurePeerKind::Ftpes,
                                         SecurePeerKind::Ftps),
                         SchemeName);

// An SFTP server's key must be known: an unknown one is refused with the command that
// trusts it, trust-host lets the run pass, and a changed key is refused again.
TEST(SecureRunTrust, SftpHostKeyUnknownTrustedThenChanged) {
    if (!SshServer::Available()) GTEST_SKIP() << "sshd not installed";
    auto peer = StartSecurePeer(SecurePeerKind::SftpPassword);
    ASSERT_TRUE(peer->ssh->Ready()) << peer->ssh->Log();
    fs::remove(peer->trustDir / "known_hosts");
    TempDir dst;
    WriteFile(peer->localDir + "/in/x.txt", "x");
    WriteJobIni(peer->trustDir.path(), {}, {JobWith(*peer, true, "/in", dst.path())});
    const std::string where = peer->ssh->Address();

    EXPECT_EQ(RunJobs(*peer).exitCode, 1);
    EXPECT_NE(LogOf(*peer).find("Host key of " + where + " is not known (" +
                                peer->ssh->HostKeyFingerprint() +
                                "); trust it with: ferrolin-cli trust-host sftp://" + where),
              std::string::npos)
        << LogOf(*peer);
    EXPECT_FALSE(fs::exists(dst / "x.txt"));

    const CommandResult trust = RunCommand({FERROLIN_CLI_PATH, "trust-host", "sftp://" + where},
                                           {{"FERROLIN_HOME", peer->trustDir.path()}});
    ASSERT_EQ(trust.exitCode, 0) << trust.errors;
    EXPECT_EQ(RunJobs(*peer).exitCode, 0) << LogOf(*peer);
    EXPECT_EQ(ReadFile(dst / "x.txt"), "x");

    ASSERT_TRUE(peer->ssh->ChangeHostKey());
    const size_t logins = CountOccurrences(peer->ssh->Log(), "Accepted password");
    WriteFile(peer->localDir + "/in/y.txt", "y");
    EXPECT_EQ(RunJobs(*peer).exitCode, 1);
    EXPECT_NE(LogOf(*peer).find("Host key of " + where + " has CHANGED (" +
                                peer->ssh->HostKeyFingerprint() + ")"),
              std::string::npos)
        << LogOf(*peer);
    EXPECT_FALSE(fs::exists(dst / "y.txt"));
    // No password went to the changed host.
    EXPECT_EQ(CountOccurrences(peer->ssh->Log(), "Accepted password"), logins);
}

// Servers that must not get the files: each run fails with the reason in the log, the
// password never shows, and nothing is transferred.
TEST(SecureRunTrust, RefusedServersFailTheRunWithTheirReason) {
    if (!VsftpdServer::Available() || !TestCertificates::Available() || !SshServer::Available())
        GTEST_SKIP() << "servers not installed";
    struct Case {
        const char* what;
        SecurePeerKind kind;
        const char* certificate;  // FTPS: the server's certificate; nullptr: plain FTP
        std::string password;     // replaces the right one when given
        std::string reason;
    } cases[] = {
        {"expired", SecurePeerKind::Ftpes, "expired", "", "not trusted (expired)"},
        {"wrong host", SecurePeerKind::Ftps, "wronghost", "", "not trusted (wrong host)"},
        {"ftpes without TLS", SecurePeerKind::Ftpes, nullptr, "", "Exception on Connect: "},
        {"wrong password", SecurePeerKind::SftpPassword, "", "Wrong-Pw-4711",
         "Exception on Connect: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto peer = StartSecurePeer(c.kind);
        if (peer->ftps) {
            // The same peer, served with the case's certificate or without TLS.
            peer->ftps = c.certificate
                             ? StartFtpsServer(*peer->certificates, c.kind == SecurePeerKind::Ftps,
                                               c.certificate)
                             : std::make_unique<VsftpdServer>();
            peer->logon.host = peer->ftps->Address();
            peer->localDir = peer->ftps->Root() + "/pub";
        }
        ASSERT_TRUE(peer->daemon().Ready()) << peer->daemon().Log();
        if (!c.password.empty()) peer->logon.password = c.password;
        TempDir dst;
        WriteFile(peer->localDir + "/in/x.txt", "x");
        WriteJobIni(peer->trustDir.path(), {}, {JobWith(*peer, true, "/in", dst.path())});
        const CommandResult result = RunJobs(*peer);
        EXPECT_EQ(result.exitCode, 1);
        const std::string log = LogOf(*peer);
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
        EXPECT_EQ(log.find(peer->logon.password), std::string::npos) << log;
        EXPECT_EQ(result.output.find(peer->logon.password), std::string::npos);
        EXPECT_FALSE(fs::exists(dst / "x.txt"));
        if (peer->ftps) {
            EXPECT_EQ(peer->ftps->ProtocolLog().find("\"PASS "), std::string::npos)
                << peer->ftps->ProtocolLog();
        }
    }
}

}  // namespace
}  // namespace ferrolin::test
