#pragma once
// A real POP3 server for tests: dovecot on a free loopback port with its own configuration,
// one user from a passwd file and an mbox the test fills.
#include <string>
#include <vector>

#include "support/time_servers.h"

namespace ferrolin::test {

class DovecotServer : public LoopbackDaemon {
  public:
    static bool Available();
    // The user's mailbox holds messages (each a whole RFC 822 text with "\n" line ends).
    // With tls the port speaks POP3 over TLS from the first byte, with a certificate made
    // for this server (see CertificateFile).
    explicit DovecotServer(const std::vector<std::string>& messages, bool tls = false);
    std::string CertificateFile() const { return dir_ / "cert.pem"; }
    std::string User() const { return "station"; }
    std::string Password() const { return "secret"; }
    // The mbox as dovecot left it (after a session ended, its deletions are gone from it).
    std::string Mailbox() const;

  private:
    std::string Configuration(uint16_t port, bool tls) const;

    std::string home_;
};

// A misbehaving POP3 peer (tests/support/pop3_test_peer.py): a proxy in front of a real
// server that cuts connections, or a server of its own that trickles or never answers
// a retrieval.
class Pop3TestPeer : public LoopbackDaemon {
  public:
    static bool Available();
    // A proxy to 127.0.0.1:targetPort; each connection is cut after cutAfter bytes
    // from the server (0: only when Cut() says so).
    Pop3TestPeer(uint16_t targetPort, size_t cutAfter);
    // A server holding message whose RETR trickles one byte every half second
    // (stall = false) or is never answered (stall = true).
    Pop3TestPeer(const std::string& message, bool stall);
    // Cuts every open connection now and returns once it is done.
    void Cut();
    // How many cuts and retrievals the peer saw so far.
    int Cuts() const;
    int Retrievals() const;

  private:
    void StartPeer(std::vector<std::string> arguments);
};

// A real SMTP server for tests: aiosmtpd on a free loopback port, saving each message it
// accepts (see smtp_test_server.py).
class SmtpTestServer : public LoopbackDaemon {
  public:
    static bool Available();
    SmtpTestServer();
    std::string Url() const { return "smtp://" + Address(); }
    // The messages received so far, oldest first, each with its envelope as two header
    // lines in front (X-Envelope-From, X-Envelope-To).
    std::vector<std::string> Messages() const;
};

// An mbox holding the messages, "From " lines quoted.
std::string MakeMbox(const std::vector<std::string>& messages);

}  // namespace ferrolin::test
