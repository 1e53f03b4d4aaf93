// Servers are verified before any password goes out: SSH host keys against known_hosts,
// TLS certificates against the CAs or a pinned key; trusting a server on purpose.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "remote/secure_session_fixture.h"
#include "remote/trust_host.h"

namespace ferrolin::test {
namespace {

int FileMode(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SftpHostKeys : public testing::Test {
  protected:
    void SetUp() override {
        if (!SshServer::Available()) GTEST_SKIP() << "sshd not installed";
        AttachToFace(session_, surfaces_);
        ASSERT_TRUE(server_.Ready()) << server_.Log();
        logon_.scheme = FtpScheme::Sftp;
        logon_.host = server_.Address();
        logon_.user = SshServer::User();
        logon_.password = SshServer::Password();
        session_.SetTrust(trust_);
    }
    std::string Server() const { return "127.0.0.1:" + std::to_string(server_.Port()); }
    // sshd logs every password it was given (accepted or not).
    bool PasswordSeen() const {
        const std::string log = server_.Log();
        return Contains(log, "password for") || Contains(log, "Accepted password");
    }

    SshServer server_;
    TempDir programDir_;
    HostTrust trust_{programDir_.path()};
    PumpSurfaces surfaces_;
    FtpSession session_{surfaces_};
    FtpLogon logon_;
};

TEST_F(SftpHostKeys, UnknownThenTrustedThenChangedThenReplaced) {
    // Unknown: refused before the logon, with the fingerprint and how to trust it.
    EXPECT_FALSE(session_.Connect(logon_));
    const std::string fingerprint = server_.HostKeyFingerprint();
    ASSERT_FALSE(fingerprint.empty());
    EXPECT_EQ(session_.LastError(), "Host key of " + Server() + " is not known (" + fingerprint +
                                        "); trust it with: ferrolin-cli trust-host sftp://" +
                                        Server());
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception on Connect: " + session_.LastError());
    EXPECT_FALSE(PasswordSeen()) << server_.Log();

    // Trusted on purpose: the key is stored (0600), and a second time changes nothing.
    TrustHostReport report = TrustHost(trust_, server_.Url("/any/folder/"), false);
    ASSERT_EQ(report.stored, TrustStored::Added) << report.error;
    EXPECT_EQ(report.hostKey.type, "ssh-ed25519");
    EXPECT_EQ(FingerprintOf(report.hostKey), fingerprint);
    EXPECT_EQ(ReadFile(trust_.KnownHostsFile()), server_.KnownHostsLine() + "\n");
    EXPECT_EQ(FileMode(trust_.KnownHostsFile()), 0600);
    EXPECT_EQ(TrustHost(trust_, server_.Url(), false).stored, TrustStored::AlreadyTrusted);
    EXPECT_FALSE(PasswordSeen()) << server_.Log();
    ASSERT_TRUE(session_.Connect(logon_)) << session_.LastError();
    session_.DisconnectFTP();

    // Changed: refused, and no password goes to the impostor.
    const std::string trustedFile = ReadFile(trust_.KnownHostsFile());
    ASSERT_TRUE(server_.ChangeHostKey()) << server_.Log();
    const std::string changed = server_.HostKeyFingerprint();
    ASSERT_NE(changed, fingerprint);
    const size_t logBefore = server_.Log().size();
    EXPECT_FALSE(session_.Connect(logon_));
    EXPECT_EQ(session_.LastError(), "Host key of " + Server() + " has CHANGED (" + changed + ")");
    const std::string logAfter = server_.Log().substr(logBefore);
    EXPECT_FALSE(Contains(logAfter, "password")) << logAfter;

    // trust-host keeps the known key unless told to replace it.
    report = TrustHost(trust_, server_.Url(), false);
    EXPECT_EQ(report.stored, TrustStored::Differs);
    EXPECT_EQ(FingerprintOf(report.hostKey), changed);
    EXPECT_EQ(ReadFile(trust_.KnownHostsFile()), trustedFile);
    EXPECT_EQ(TrustHost(trust_, server_.Url(), true).stored, TrustStored::Replaced);
    EXPECT_EQ(ReadFile(trust_.KnownHostsFile()), server_.KnownHostsLine() + "\n");
    EXPECT_TRUE(session_.Connect(logon_)) << session_.LastError();
}

TEST_F(SftpHostKeys, WrongSecretsFailWithoutShowingThem) {
    WriteFile(trust_.KnownHostsFile(), server_.KnownHostsLine() + "\n");
    struct Case {
        const char* what;
        std::string password;
        std::string keyFile;
    } cases[] = {
        {"wrong password", "Wrong-Pw-123", ""},
        {"wrong passphrase", "Wrong-phrase-77", server_.EncryptedKeyFile()},
        {"missing key file", SshServer::KeyPassphrase(), programDir_ / "no_such_key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        logon_.password = c.password;
        logon_.sshKeyFile = c.keyFile;
        EXPECT_FALSE(session_.Connect(logon_));
        EXPECT_FALSE(session_.Connected());
        EXPECT_EQ(surfaces_.statusTexts.back().rfind("Exception on Connect: ", 0), 0u);
        for (const std::string& text : surfaces_.statusTexts) {
            EXPECT_FALSE(Contains(text, c.password)) << text;
        }
        EXPECT_FALSE(Contains(session_.LastError(), c.password));
    }
    // The window's host field takes the address with its scheme.
    EXPECT_TRUE(session_.ConnectToFTP(SshServer::User(), SshServer::Password(),
                                      "sftp://" + server_.Address() + "/ignored/", "21", true))
        << session_.LastError();
    EXPECT_EQ(session_.Scheme(), FtpScheme::Sftp);
}

// FTP over TLS: certificates that must be refused, each for its reason and before the
// logon; a self-signed server trusted by its pinned key, on its port only.
class FtpsCertificates : public testing::Test {
  protected:
    void SetUp() override {
        if (!VsftpdServer::Available() || !TestCertificates::Available())
            GTEST_SKIP() << "vsftpd or python3-cryptography not installed";
        ASSERT_TRUE(certificates_.Made());
        trust_.caFile = certificates_.CaFile();
        session_.SetTrust(trust_);
        logon_.user = "anonymous";
        logon_.password = "tests@example.com";
    }
    bool Connect(const VsftpdServer& server, FtpScheme scheme) {
        logon_.scheme = scheme;
        logon_.host = server.Address();
        return session_.Connect(logon_);
    }
    static std::string Server(const VsftpdServer& server) {
        return "127.0.0.1:" + std::to_string(server.Port());
    }

    TempDir programDir_;
    TestCertificates certificates_{programDir_ / "ca"};
    HostTrust trust_{programDir_.path()};
    RecordingSurfaces surfaces_;
    FtpSession session_{surfaces_};
    FtpLogon logon_;
};

TEST_F(FtpsCertificates, RefusedForTheirReasonBeforeTheLogon) {
    struct Case {
        const char* certificate;
        bool implicitTls;
        std::string reason;
    } cases[] = {
        {"expired", false, "(expired)"},
        {"wronghost", true, "(wrong host)"},
        {"selfsigned", false, "(unknown issuer); trust it with: ferrolin-cli trust-host ftpes://"},
        {"selfsigned", true, "(unknown issuer); trust it with: ferrolin-cli trust-host ftps://"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.certificate) + (c.implicitTls ? " implicit" : " explicit"));
        auto server = StartFtpsServer(certificates_, c.implicitTls, c.certificate);
        ASSERT_TRUE(server->Ready()) << server->Log();
        EXPECT_FALSE(Connect(*server, c.implicitTls ? FtpScheme::Ftps : FtpScheme::Ftpes));
        EXPECT_EQ(session_.LastError().rfind(
                      "Certificate of " + Server(*server) + " not trusted " + c.reason, 0),
                  0u)
            << session_.LastError();
        EXPECT_FALSE(Contains(server->ProtocolLog(), "\"USER ")) << server->ProtocolLog();
    }
}

TEST_F(FtpsCertificates, ExplicitTlsIsRequiredNeverAFallback) {
    VsftpdServer plain;  // no TLS at all
    ASSERT_TRUE(plain.Ready()) << plain.Log();
    EXPECT_FALSE(Connect(plain, FtpScheme::Ftpes));
    EXPECT_FALSE(session_.Connected());
    EXPECT_TRUE(WaitFor([&] { return Contains(plain.ProtocolLog(), "AUTH TLS"); }))
        << plain.ProtocolLog();
    EXPECT_FALSE(Contains(plain.ProtocolLog(), "\"USER ")) << plain.ProtocolLog();
    EXPECT_FALSE(Contains(plain.ProtocolLog(), "\"PASS ")) << plain.ProtocolLog();
    // The same server as plain FTP is fine.
    EXPECT_TRUE(Connect(plain, FtpScheme::Ftp)) << session_.LastError();
}

TEST_F(FtpsCertificates, PinnedKeyTrustsItsHostAndPortOnly) {
    auto selfSigned = StartFtpsServer(certificates_, true, "selfsigned");
    auto other = StartFtpsServer(certificates_, true, "selfsigned");
    ASSERT_TRUE(selfSigned->Ready() && other->Ready());
    const TrustHostReport report = TrustHost(trust_, "ftps://" + selfSigned->Address(), false);
    ASSERT_EQ(report.stored, TrustStored::Added) << report.error;
    EXPECT_EQ(report.certificate.subject, "CN = 127.0.0.1");
    EXPECT_EQ(report.certificate.pin,
              PinOfCertificate(ReadFile(certificates_.Certificate("selfsigned"))));
    EXPECT_EQ(FileMode(trust_.TrustedCertsFile()), 0600);
    EXPECT_FALSE(Contains(selfSigned->ProtocolLog(), "\"PASS ")) << selfSigned->ProtocolLog();

    EXPECT_TRUE(Connect(*selfSigned, FtpScheme::Ftps)) << session_.LastError();
    session_.DisconnectFTP();
    EXPECT_FALSE(Connect(*other, FtpScheme::Ftps));
    EXPECT_TRUE(Contains(session_.LastError(), "(unknown issuer)")) << session_.LastError();

    // A pinned host that shows another key is refused, even with a certificate the CAs
    // vouch for.
    auto good = StartFtpsServer(certificates_, true, "good");
    ASSERT_TRUE(good->Ready());
    WriteFile(trust_.TrustedCertsFile(), Server(*good) + " " + report.certificate.pin + "\n");
    EXPECT_FALSE(Connect(*good, FtpScheme::Ftps));
    EXPECT_EQ(session_.LastError(),
              "Certificate of " + Server(*good) + " not trusted (not the pinned key)");
}

}  // namespace
}  // namespace ferrolin::test
