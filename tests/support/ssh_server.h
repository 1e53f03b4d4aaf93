#pragma once
// An OpenSSH server for the SFTP tests on a free loopback port, with a private
// configuration and a host key made for it, serving SFTP only (internal-sftp, paths from
// "/"). It logs on one test user (made on first use, as sshd logs on only real users) by
// password or by key; Root() is a folder of the test's own that the user may write.
#include <string>

#include "support/time_servers.h"

namespace ferrolin::test {

struct SshServerOptions {
    std::string hostKeyType = "ed25519";  // ssh-keygen -t
};

class SshServer : public LoopbackDaemon {
  public:
    // sshd and ssh-keygen are installed, and this process may make the test user.
    static bool Available();
    explicit SshServer(SshServerOptions options = {});
    ~SshServer();

    static const char* User() { return "ferrolin-sftp"; }
    static const char* Password() { return "Sftp-test-Pw1"; }
    // A private key the server accepts, without and with a passphrase.
    std::string KeyFile() const { return dir_ / "user_key"; }
    std::string EncryptedKeyFile() const { return dir_ / "user_key_locked"; }
    static const char* KeyPassphrase() { return "key-phrase-9"; }

    // The folder the user works in (absolute on the server too).
    std::string Root() const { return dir_ / "root"; }
    // "sftp://127.0.0.1:port" + path.
    std::string Url(const std::string& path = "") const { return "sftp://" + Address() + path; }
    // The host key as ssh-keygen -l shows it ("SHA256:...") and as known_hosts holds it.
    std::string HostKeyFingerprint() const;
    std::string KnownHostsLine() const;
    // A new host key, and the server started again with it on the same port.
    bool ChangeHostKey();
    // Makes path (and its folders) belong to the test user.
    static void GiveToUser(const std::string& path);

  private:
    bool MakeHostKey();
    SshServerOptions options_;
};

}  // namespace ferrolin::test
