// The texts SFTP commands and trust decisions are made of: quoted and joined paths, time
// stamps, fingerprints, Base64, and the reasons a certificate is refused.
#include <gtest/gtest.h>

#include "protocols/digest.h"
#include "protocols/remote_command_text.h"
#include "protocols/ssh_host_key.h"
#include "protocols/tls_trust.h"

namespace ferrolin {
namespace {

TEST(RemoteCommandText, PathsAreJoinedAndQuotedAsOneName) {
    struct Case {
        const char* folder;
        const char* path;
        const char* joined;
    } cases[] = {
        {"/in/day", "../out", "/in/out"},
        {"/in", "/abs//x/./y/", "/abs/x/y"},
        {"/", "..", "/"},
        {"/a/b", "", "/a/b"},
        {"/a", "../../..", "/"},
        {"/a", "b c/d", "/a/b c/d"},
        {"", "x", "/x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinRemotePath(c.folder, c.path), c.joined) << c.folder << " + " << c.path;
    }
    EXPECT_EQ(QuotedSftpPath("/in/it's \"x\\y\".txt"), "\"/in/it\\'s \\\"x\\\\y\\\".txt\"");
    EXPECT_EQ(QuotedSftpPath("/plain name"), "\"/plain name\"");
    EXPECT_TRUE(SafeCommandText("rm \"/a b\""));
    EXPECT_FALSE(SafeCommandText("rm /a\nrm /b"));
    EXPECT_FALSE(SafeCommandText(std::string_view("rm /a\0b", 7)));
}

TEST(RemoteCommandText, TimeStamps) {
    EXPECT_EQ(HttpDate(1262401445), "Sat, 02 Jan 2010 03:04:05 GMT");
    EXPECT_EQ(MdtmStamp(1262401445), "20100102030405");
    EXPECT_EQ(HttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
}

TEST(Digest, Base64RoundTripAndFingerprints) {
    for (std::string_view data : {"", "f", "fo", "foo", "foob", "\xff\x00\x7f"}) {
        const std::string text = Base64Encode(data);
        EXPECT_EQ(Base64Decode(text), std::string(data)) << text;
        EXPECT_EQ(Base64Decode(Base64Encode(data, false)), std::string(data));
    }
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("fo", false), "Zm8");
    EXPECT_FALSE(Base64Decode("ab$d"));
    // SHA-256 of "abc", as every implementation gives it.
    EXPECT_EQ(Base64Encode(Sha256("abc")), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");

    // A wire-form key: its type first, as a length-prefixed string.
    const std::string blob =
        std::string("\0\0\0\x0bssh-ed25519\0\0\0\x20", 19) + std::string(32, 'k');
    EXPECT_EQ(KeyTypeOfBlob(blob), "ssh-ed25519");
    EXPECT_EQ(KeyTypeOfBlob(std::string("\0\0\0\x7f", 4)), "");
    EXPECT_EQ(KeyTypeOfBlob("ab"), "");
    EXPECT_EQ(FingerprintOf({"ssh-ed25519", blob}).rfind("SHA256:", 0), 0u);
    EXPECT_EQ(FingerprintOf({"ssh-ed25519", blob}).find('='), std::string::npos);
    EXPECT_EQ(KnownHostsName("example.org", 22), "example.org");
    EXPECT_EQ(KnownHostsName("127.0.0.1", 2222), "[127.0.0.1]:2222");
}

TEST(TlsTrust, ProblemTextsNameTheReason) {
    EXPECT_EQ(TlsProblemText(TlsProblem::Expired), "expired");
    EXPECT_EQ(TlsProblemText(TlsProblem::WrongHost), "wrong host");
    EXPECT_EQ(TlsProblemText(TlsProblem::UnknownIssuer), "unknown issuer");
    EXPECT_EQ(PinOfCertificate("not a certificate"), "");
}

}  // namespace
}  // namespace ferrolin
