#pragma once
// The servers this station trusts beyond the system's CAs, in two files of the program
// folder: known_hosts (SSH host keys, OpenSSH's form, shared with ssh and sftp) and
// trusted_certs (the pinned public keys of TLS servers, one host and port a line). Both
// are written 0600, like the INI file. A key is added on purpose only (trust-host); a
// known key is replaced only when asked to.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocols/ssh_host_key.h"
#include "protocols/tls_trust.h"

namespace ferrolin {

// What storing a key did.
enum class TrustStored : uint8_t {
    Added,           // the host had no key; now it has this one
    AlreadyTrusted,  // the host had exactly this key
    Differs,         // the host has another key: nothing was changed
    Replaced,        // the host had another key; now it has this one
};

class HostTrust {
  public:
    // No folder: no host is known and nothing is pinned; nothing can be stored.
    HostTrust() = default;
    explicit HostTrust(std::string folder) : folder_(std::move(folder)) {}

    std::string KnownHostsFile() const;    // "" without a folder
    std::string TrustedCertsFile() const;  // "" without a folder

    // The CA bundle TLS servers are checked against; empty: the system's.
    std::string caFile;

    // The TLS trust for a server: its pin from trusted_certs when it has one, else the CAs.
    TlsTrust TlsTrustFor(std::string_view host, uint16_t port) const;

    // Stores host:port's SSH host key in known_hosts. With replace, every other key of
    // the host goes; without it, a host with another key stays as it is (Differs).
    // Nothing (and error) when the file cannot be read or written.
    std::optional<TrustStored> TrustHostKey(std::string_view host, uint16_t port,
                                            const SshHostKey& key, bool replace,
                                            std::string& error) const;
    // The same for the pin of a TLS server's public key in trusted_certs; the certificate's
    // subject goes along as a comment.
    std::optional<TrustStored> TrustCertificate(std::string_view host, uint16_t port,
                                                const PeerCertificate& certificate, bool replace,
                                                std::string& error) const;

  private:
    std::string folder_;
};

// "host:port", "[v6:address]:port": how texts and trusted_certs name a server.
std::string HostPortText(std::string_view host, uint16_t port);

}  // namespace ferrolin
