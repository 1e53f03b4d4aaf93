#include "protocols/pop3_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/unique_fd.h"
#include "protocols/mail_samples.h"
#include "protocols/mime_message.h"
#include "support/mail_servers.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::DovecotServer;

std::string Retrieved(Pop3Client& client, int number) {
    std::string text;
    std::string error;
    EXPECT_TRUE(client.Retrieve(
        number, [&](const char* data, size_t size) { return text.append(data, size), true; },
        error))
        << error;
    return text;
}

class Pop3ClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!DovecotServer::Available()) GTEST_SKIP() << "dovecot is not installed";
    }
    void Open(DovecotServer& server, Pop3Client& client) {
        ASSERT_TRUE(server.Ready()) << server.Log();
        std::string error;
        ASSERT_TRUE(client.Connect(server.Address(), server.User(), server.Password(), error))
            << error << "\n"
            << server.Log();
        ASSERT_TRUE(client.Connected());
    }
};

TEST(Pop3Address, HostsPortsAndSchemes) {
    auto plain = ParsePop3Address(" mail.example.org ");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->host, "mail.example.org");
    EXPECT_EQ(plain->port, 110);
    EXPECT_FALSE(plain->tls);

    auto withPort = ParsePop3Address("pop3://127.0.0.1:2110/");
    ASSERT_TRUE(withPort);
    EXPECT_EQ(withPort->port, 2110);
    EXPECT_FALSE(withPort->tls);

    auto tls = ParsePop3Address("POP3S://mail.example.org");
    ASSERT_TRUE(tls);
    EXPECT_TRUE(tls->tls);
    EXPECT_EQ(tls->port, 995);

    auto v6 = ParsePop3Address("[::1]:2110");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "::1");

    // Nothing that could smuggle a user, a path or a second URL into the request.
    for (const char* bad : {"", "host:0", "host:99999", "user@host", "host/path", "pop3://host/1",
                            "http://host", "ho st", "host?x", "host#x"}) {
        EXPECT_FALSE(ParsePop3Address(bad)) << bad;
    }
}

TEST_F(Pop3ClientTest, ListsAndRetrievesMessagesAsStored) {
    const std::string second = test::TwoAttachmentMail("abc", "a.bin");
    DovecotServer server({test::kPlainMail, second});
    Pop3Client client;
    Open(server, client);

    std::string error;
    EXPECT_EQ(client.MessageCount(error), 2) << error;
    auto list = client.List(error);
    ASSERT_TRUE(list) << error;
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[0].number, 1);
    EXPECT_EQ((*list)[1].number, 2);
    EXPECT_GT((*list)[1].size, (*list)[0].size);

    // The server sends CR LF lines and dot-stuffs; the text arrives as the sender wrote it.
    std::string first = Retrieved(client, 1);
    first.erase(std::remove(first.begin(), first.end(), '\r'), first.end());
    EXPECT_NE(first.find("Subject: Daily report\n"), std::string::npos);
    EXPECT_NE(first.find("\nSent from the field office\n"), std::string::npos) << first;
    EXPECT_NE(first.find("\n.a line starting with a dot\n"), std::string::npos) << first;
    EXPECT_TRUE(client.Connected());

    EXPECT_FALSE(client.Retrieve(
        7, [](const char*, size_t) { return true; }, error));
    EXPECT_NE(error.find("-ERR"), std::string::npos) << error;
    // curl ends the session after a refused command; the numbers of this session mean
    // nothing in another one, so no command silently runs on a new connection.
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.MessageCount(error));
    EXPECT_EQ(error, "The POP3 session is not open");
}

TEST_F(Pop3ClientTest, MimeMailRetrievedToAFileDecodesToIdenticalAttachments) {
    const std::string binary = test::BinaryContent(300000);
    DovecotServer server({test::TwoAttachmentMail(binary, "data.bin")});
    Pop3Client client;
    Open(server, client);
    test::TempDir dir;
    std::string error;
    {
        platform::UniqueFd fd(::open((dir / "1.eml").c_str(), O_WRONLY | O_CREAT, 0600));
        ASSERT_TRUE(client.RetrieveToFd(1, fd.get(), error)) << error;
    }
    auto message = MimeMessage::ReadFile(dir / "1.eml", true, error);
    ASSERT_TRUE(message) << error;
    ASSERT_EQ(message->Parts().size(), 3u);
    for (size_t index : {size_t{1}, size_t{2}}) {
        const std::string path = dir / ("part" + std::to_string(index));
        platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT, 0600));
        ASSERT_TRUE(message->SaveAttachment(index, fd.get(), error)) << error;
    }
    EXPECT_EQ(test::ReadFile(dir / "part1"), binary);
    // A text attachment keeps the CR LF line ends the mail travelled with.
    std::string text = test::ReadFile(dir / "part2");
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(text, test::kQuotedText);
}

TEST_F(Pop3ClientTest, AFullDiskKeepsTheSessionAStoppedRetrievalEndsIt) {
    DovecotServer server({test::kPlainMail, test::kPlainMail});
    Pop3Client client;
    Open(server, client);
    std::string error;
    // A file that refuses writing stands for a full disk: the message is read to its end
    // and dropped, and the session (with its deletions) goes on.
    platform::UniqueFd readOnly(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    EXPECT_FALSE(client.RetrieveToFd(1, readOnly.get(), error));
    EXPECT_EQ(error.rfind("Writing failed: ", 0), 0u) << error;
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(client.Delete(2, error)) << error;

    EXPECT_FALSE(client.Retrieve(
        1, [](const char*, size_t) { return false; }, error));
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(client.Delete(1, error));
}

TEST_F(Pop3ClientTest, DeletionsHappenAtDisconnectAndOnlyThen) {
    const std::string keep = "Subject: keep me\n\nbody\n";
    const std::string drop = "Subject: drop me\n\nbody\n";
    DovecotServer server({drop, keep, drop});
    {
        Pop3Client client;
        Open(server, client);
        std::string error;
        ASSERT_TRUE(client.Delete(1, error)) << error;
        ASSERT_TRUE(client.Delete(3, error)) << error;
        EXPECT_NE(server.Mailbox().find("drop me"), std::string::npos);
        client.Disconnect();
        EXPECT_FALSE(client.Connected());
    }
    ASSERT_TRUE(test::WaitFor([&] {
        return server.Mailbox().find("drop me") == std::string::npos;
    })) << server.Mailbox();
    EXPECT_NE(server.Mailbox().find("keep me"), std::string::npos);

    // A session that is dropped by destruction quits too.
    {
        Pop3Client client;
        Open(server, client);
        std::string error;
        EXPECT_EQ(client.MessageCount(error), 1);
        ASSERT_TRUE(client.Delete(1, error)) << error;
    }
    EXPECT_TRUE(
        test::WaitFor([&] { return server.Mailbox().find("keep me") == std::string::npos; }));
}

TEST_F(Pop3ClientTest, EmptyMailboxBadLoginAndNoServer) {
    DovecotServer server({});
    Pop3Client client;
    Open(server, client);
    std::string error;
    EXPECT_EQ(client.MessageCount(error), 0) << error;
    auto list = client.List(error);
    ASSERT_TRUE(list) << error;
    EXPECT_TRUE(list->empty());

    // A second Connect on an open client starts a new session.
    EXPECT_TRUE(client.Connect(server.Address(), server.User(), server.Password(), error));
    EXPECT_EQ(client.MessageCount(error), 0) << error;

    // (After a refused login dovecot slows down logins from this address for a while.)
    Pop3Client refused;
    EXPECT_FALSE(refused.Connect(server.Address(), server.User(), "wrong", error));
    EXPECT_FALSE(refused.Connected());
    EXPECT_NE(error.find("Login denied"), std::string::npos) << error;
    EXPECT_NE(error.find("-ERR"), std::string::npos) << error;
    EXPECT_FALSE(refused.MessageCount(error));
    EXPECT_EQ(error, "The POP3 session is not open");

    Pop3Client nobody;
    const std::string closed = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false));
    EXPECT_FALSE(nobody.Connect(closed, "u", "p", error));
    EXPECT_NE(error.find("127.0.0.1"), std::string::npos) << error;
    EXPECT_FALSE(nobody.Connect("bad host", "u", "p", error));
    EXPECT_EQ(error, "Not a POP3 server address: bad host");
}

TEST_F(Pop3ClientTest, Pop3sSpeaksTlsAndChecksTheCertificate) {
    DovecotServer secure({test::kPlainMail}, true);
    ASSERT_TRUE(secure.Ready()) << secure.Log();
    const std::string address = "pop3s://" + secure.Address();
    std::string error;

    Pop3Client untrusting;
    EXPECT_FALSE(untrusting.Connect(address, secure.User(), secure.Password(), error));
    EXPECT_NE(error.find("certificate"), std::string::npos) << error;

    Pop3Options trusting;
    trusting.caFile = secure.CertificateFile();
    Pop3Client client(trusting);
    ASSERT_TRUE(client.Connect(address, secure.User(), secure.Password(), error)) << error;
    EXPECT_EQ(client.MessageCount(error), 1) << error;
    EXPECT_NE(Retrieved(client, 1).find("Daily report"), std::string::npos);

    // Neither side falls back to the other: plain POP3 to the TLS port, TLS to a plain one.
    trusting.connectTimeout = trusting.stallTimeout = std::chrono::seconds(1);
    Pop3Client plain(trusting);
    EXPECT_FALSE(plain.Connect(secure.Address(), secure.User(), secure.Password(), error));
    DovecotServer plainServer({test::kPlainMail});
    ASSERT_TRUE(plainServer.Ready()) << plainServer.Log();
    EXPECT_FALSE(plain.Connect("pop3s://" + plainServer.Address(), plainServer.User(),
                               plainServer.Password(), error));
    EXPECT_FALSE(plain.Connected());
}

// The session's connection goes away: while idle between commands, or in the middle of a
// retrieval. Nothing is then asked of the server on a new connection (its message numbers
// and marked deletions belong to the lost session), a cut retrieval is no message, and
// the server deletes nothing.
TEST_F(Pop3ClientTest, ALostSessionIsNeverReplacedAndACutRetrievalFails) {
    if (!test::Pop3TestPeer::Available()) GTEST_SKIP() << "python3 missing";
    const std::string big = test::TwoAttachmentMail(test::BinaryContent(48 * 1024), "big.bin");
    DovecotServer server({test::kPlainMail, big});
    ASSERT_TRUE(server.Ready()) << server.Log();
    std::string error;
    {
        test::Pop3TestPeer idleCut(server.Port(), 0);
        ASSERT_TRUE(idleCut.Ready()) << idleCut.Log();
        Pop3Client client;
        ASSERT_TRUE(client.Connect(idleCut.Address(), server.User(), server.Password(), error))
            << error;
        EXPECT_NE(Retrieved(client, 1).find("Daily report"), std::string::npos);
        ASSERT_TRUE(client.Delete(1, error)) << error;
        idleCut.Cut();
        EXPECT_FALSE(client.Delete(2, error));
        EXPECT_EQ(error, "The POP3 session was lost");
        EXPECT_FALSE(client.Connected());
        EXPECT_FALSE(client.MessageCount(error));
        client.Disconnect();
        EXPECT_EQ(idleCut.Cuts(), 1);
    }
    {
        // 30 KB into the 48 KB attachment.
        test::Pop3TestPeer midCut(server.Port(), 30 * 1024);
        ASSERT_TRUE(midCut.Ready()) << midCut.Log();
        Pop3Client client;
        ASSERT_TRUE(client.Connect(midCut.Address(), server.User(), server.Password(), error))
            << error;
        ASSERT_TRUE(client.Delete(1, error)) << error;
        std::string text;
        EXPECT_FALSE(client.Retrieve(
            2, [&](const char* data, size_t size) { return text.append(data, size), true; },
            error));
        EXPECT_FALSE(client.Connected());
        EXPECT_FALSE(text.empty());
        EXPECT_LT(text.size(), big.size());
    }
    // Both deletions were asked for on sessions that ended without QUIT.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_NE(server.Mailbox().find("Daily report"), std::string::npos);
    EXPECT_NE(server.Mailbox().find("big.bin"), std::string::npos);
}

// Cancel ends a command in whatever phase it waits: a retrieval that trickles a byte
// every half second, or one the server never answers.
TEST_F(Pop3ClientTest, CancelEndsATricklingOrStalledRetrieval) {
    if (!test::Pop3TestPeer::Available()) GTEST_SKIP() << "python3 missing";
    for (const bool stall : {false, true}) {
        test::Pop3TestPeer peer(test::kPlainMail, stall);
        ASSERT_TRUE(peer.Ready()) << peer.Log();
        Pop3Client client;
        std::string error;
        ASSERT_TRUE(client.Connect(peer.Address(), "u", "p", error)) << error;
        const auto start = std::chrono::steady_clock::now();
        client.SetKeepGoing([&] {
            return peer.Retrievals() == 0 ||
                   std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1500);
        });
        EXPECT_FALSE(client.Retrieve(
            1, [](const char*, size_t) { return true; }, error));
        EXPECT_EQ(error, "The POP3 command was cancelled") << stall;
        EXPECT_FALSE(client.Connected());
        // Far below the server's stall time-out (120 s).
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << stall;
    }
}

}  // namespace
}  // namespace ferrolin
