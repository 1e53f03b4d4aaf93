// known_hosts and trusted_certs as the station keeps them: a host's key is added,
// recognised, kept when another is offered, replaced only on request; other lines stay;
// both files are private; a pin counts for its own host and port only.
#include "remote/host_trust.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "protocols/digest.h"
#include "remote/trust_texts.h"
#include "support/temp_dir.h"

namespace ferrolin::test {
namespace {

SshHostKey Key(char fill) {
    return {"ssh-ed25519",
            std::string("\0\0\0\x0bssh-ed25519\0\0\0\x20", 19) + std::string(32, fill)};
}

TEST(HostTrust, HostKeysAreAddedKeptAndReplaced) {
    TempDir dir;
    HostTrust trust(dir.path());
    const std::string others =
        "# my hosts\n"
        "example.org,[127.0.0.1]:2200 ssh-rsa AAAAB3Nza\n"
        "|1|hashed|name ssh-ed25519 AAAAC3Nz\n";
    WriteFile(trust.KnownHostsFile(), others);
    chmod(trust.KnownHostsFile().c_str(), 0644);
    std::string error;

    EXPECT_EQ(trust.TrustHostKey("127.0.0.1", 2222, Key('a'), false, error), TrustStored::Added);
    EXPECT_EQ(trust.TrustHostKey("127.0.0.1", 2222, Key('a'), false, error),
              TrustStored::AlreadyTrusted);
    EXPECT_EQ(trust.TrustHostKey("127.0.0.1", 2222, Key('b'), false, error), TrustStored::Differs);
    const std::string line = "[127.0.0.1]:2222 ssh-ed25519 " + Base64Encode(Key('a').blob);
    EXPECT_EQ(ReadFile(trust.KnownHostsFile()), others + line + "\n");
    EXPECT_EQ(trust.TrustHostKey("127.0.0.1", 2222, Key('b'), true, error), TrustStored::Replaced);
    EXPECT_EQ(ReadFile(trust.KnownHostsFile()),
              others + "[127.0.0.1]:2222 ssh-ed25519 " + Base64Encode(Key('b').blob) + "\n");
    // A host named in a list with others is that host; port 22 is the bare name.
    EXPECT_EQ(trust.TrustHostKey("example.org", 22, Key('c'), false, error), TrustStored::Differs);
    EXPECT_EQ(trust.TrustHostKey("example.net", 22, Key('c'), false, error), TrustStored::Added);

    struct stat info {};
    ASSERT_EQ(stat(trust.KnownHostsFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    HostTrust nowhere;
    EXPECT_FALSE(nowhere.TrustHostKey("h", 22, Key('a'), false, error));
    EXPECT_FALSE(error.empty());
}

TEST(HostTrust, PinsBelongToTheirHostAndPort) {
    TempDir dir;
    HostTrust trust(dir.path());
    trust.caFile = "/tmp/ca.pem";
    PeerCertificate certificate{"CN = 127.0.0.1\nforged line", "CN = me", "later", "sha256//AAA="};
    std::string error;
    EXPECT_EQ(trust.TrustCertificate("127.0.0.1", 990, certificate, false, error),
              TrustStored::Added);
    EXPECT_EQ(trust.TrustCertificate("::1", 990, certificate, false, error), TrustStored::Added);
    EXPECT_EQ(ReadFile(trust.TrustedCertsFile()),
              "127.0.0.1:990 sha256//AAA= CN = 127.0.0.1 forged line\n"
              "[::1]:990 sha256//AAA= CN = 127.0.0.1 forged line\n");

    EXPECT_EQ(trust.TlsTrustFor("127.0.0.1", 990).pinnedKey, "sha256//AAA=");
    EXPECT_EQ(trust.TlsTrustFor("::1", 990).pinnedKey, "sha256//AAA=");
    EXPECT_EQ(trust.TlsTrustFor("127.0.0.1", 21).pinnedKey, "");
    EXPECT_EQ(trust.TlsTrustFor("127.0.0.2", 990).pinnedKey, "");
    EXPECT_EQ(trust.TlsTrustFor("127.0.0.2", 990).caFile, "/tmp/ca.pem");

    certificate.pin = "sha256//BBB=";
    EXPECT_EQ(trust.TrustCertificate("127.0.0.1", 990, certificate, false, error),
              TrustStored::Differs);
    EXPECT_EQ(trust.TlsTrustFor("127.0.0.1", 990).pinnedKey, "sha256//AAA=");
    EXPECT_EQ(trust.TrustCertificate("127.0.0.1", 990, certificate, true, error),
              TrustStored::Replaced);
    EXPECT_EQ(trust.TlsTrustFor("127.0.0.1", 990).pinnedKey, "sha256//BBB=");
}

TEST(HostTrust, RefusalTexts) {
    FtpClient::ServerIdentity identity;
    EXPECT_EQ(IdentityRefusalText(FtpScheme::Sftp, "h", 22, identity), "");
    identity.hostKey = Key('a');
    identity.hostKeyMatch = HostKeyMatch::Unknown;
    const std::string fingerprint = FingerprintOf(identity.hostKey);
    EXPECT_EQ(IdentityRefusalText(FtpScheme::Sftp, "h", 2222, identity),
              "Host key of h:2222 is not known (" + fingerprint +
                  "); trust it with: ferrolin-cli trust-host sftp://h:2222");
    identity.hostKeyMatch = HostKeyMatch::Changed;
    EXPECT_EQ(IdentityRefusalText(FtpScheme::Sftp, "::1", 22, identity),
              "Host key of [::1]:22 has CHANGED (" + fingerprint + ")");
    identity = {};
    identity.certificateProblem = TlsProblem::Expired;
    EXPECT_EQ(IdentityRefusalText(FtpScheme::Ftps, "h", 990, identity),
              "Certificate of h:990 not trusted (expired)");
}

}  // namespace
}  // namespace ferrolin::test
