#pragma once
// The servers the SFTP and FTPS session tests run against, with what a session needs to
// reach them: the scheme, the logon, the folder the flows work in (on the server and on
// this machine) and the trust that lets the session accept the server.
#include <memory>
#include <string>

#include "remote/ftp_session.h"
#include "remote/ftp_session_fixture.h"
#include "support/certificates.h"
#include "support/ssh_server.h"

namespace ferrolin::test {

enum class SecurePeerKind { SftpPassword, SftpKey, SftpLockedKey, Ftpes, Ftps };

struct SecurePeer {
    std::unique_ptr<SshServer> ssh;
    std::unique_ptr<TestCertificates> certificates;
    std::unique_ptr<VsftpdServer> ftps;
    FtpLogon logon;
    std::string remoteDir;  // the folder the flows use, as the server names it
    std::string localDir;   // the same folder on this machine
    TempDir trustDir;       // the program folder with known_hosts / trusted_certs

    const LoopbackDaemon& daemon() const {
        return ssh ? static_cast<const LoopbackDaemon&>(*ssh) : *ftps;
    }
    // The session trusts the server: its host key in known_hosts, or the test CA.
    HostTrust Trust() const {
        HostTrust trust(trustDir.path());
        if (certificates) trust.caFile = certificates->CaFile();
        return trust;
    }
    bool Connect(FtpSession& session) const {
        session.SetTrust(Trust());
        return session.Connect(logon);
    }
};

inline bool SecurePeerAvailable(SecurePeerKind kind) {
    const bool sftp = kind == SecurePeerKind::SftpPassword || kind == SecurePeerKind::SftpKey ||
                      kind == SecurePeerKind::SftpLockedKey;
    return sftp ? SshServer::Available()
                : VsftpdServer::Available() && TestCertificates::Available();
}

// A vsftpd that speaks TLS with one of the test certificates ("good", "expired", ...).
inline std::unique_ptr<VsftpdServer> StartFtpsServer(const TestCertificates& certificates,
                                                     bool implicitTls,
                                                     const std::string& certificate = "good") {
    VsftpdOptions options;
    options.tlsCertificate = certificates.Certificate(certificate);
    options.tlsKey = certificates.Key(certificate);
    options.implicitTls = implicitTls;
    return std::make_unique<VsftpdServer>(options);
}

inline std::unique_ptr<SecurePeer> StartSecurePeer(SecurePeerKind kind) {
    auto peer = std::make_unique<SecurePeer>();
    if (kind == SecurePeerKind::Ftpes || kind == SecurePeerKind::Ftps) {
        peer->certificates = std::make_unique<TestCertificates>(peer->trustDir / "ca");
        const bool implicitTls = kind == SecurePeerKind::Ftps;
        peer->ftps = StartFtpsServer(*peer->certificates, implicitTls);
        peer->logon.scheme = implicitTls ? FtpScheme::Ftps : FtpScheme::Ftpes;
        peer->logon.user = "anonymous";
        peer->logon.password = "tests@example.com";
        peer->logon.host = peer->ftps->Address();
        peer->remoteDir = "/pub";
        peer->localDir = peer->ftps->Root() + "/pub";
        return peer;
    }
    peer->ssh = std::make_unique<SshServer>();
    peer->logon.scheme = FtpScheme::Sftp;
    peer->logon.user = SshServer::User();
    peer->logon.host = peer->ssh->Address();
    if (kind == SecurePeerKind::SftpPassword) peer->logon.password = SshServer::Password();
    if (kind == SecurePeerKind::SftpKey) peer->logon.sshKeyFile = peer->ssh->KeyFile();
    if (kind == SecurePeerKind::SftpLockedKey) {
        peer->logon.sshKeyFile = peer->ssh->EncryptedKeyFile();
        peer->logon.password = SshServer::KeyPassphrase();
    }
    peer->remoteDir = peer->ssh->Root();
    peer->localDir = peer->ssh->Root();
    WriteFile(peer->trustDir / "known_hosts", peer->ssh->KnownHostsLine() + "\n");
    return peer;
}

}  // namespace ferrolin::test
