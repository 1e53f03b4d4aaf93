#pragma once
// Trusting a server on purpose: connect to it, see who it says it is (its SSH host key,
// or its TLS certificate), and keep that in known_hosts or trusted_certs. Nothing is
// verified and no password is sent on that connection; a host that already has another
// key keeps it unless replace is asked for.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocols/ftp_scheme.h"
#include "protocols/ssh_host_key.h"
#include "protocols/tls_trust.h"
#include "remote/host_trust.h"

namespace ferrolin {

struct TrustHostReport {
    FtpScheme scheme = FtpScheme::Sftp;
    std::string host;
    uint16_t port = 0;
    SshHostKey hostKey;           // SFTP: what the server showed
    PeerCertificate certificate;  // FTPS: what the server showed
    // What storing it did; nothing when the server could not be reached or the file
    // not written (error says why).
    std::optional<TrustStored> stored;
    std::string error;
};

// url: "sftp://host[:port]", "ftps://...", "ftpes://..." (a folder after it is ignored).
TrustHostReport TrustHost(const HostTrust& trust, std::string_view url, bool replace,
                          std::chrono::milliseconds timeout = std::chrono::seconds(15));

}  // namespace ferrolin
