#pragma once
// The host key an SSH server shows, checked against an OpenSSH known_hosts file before
// any password or key goes out. An unknown or changed key refuses the connection; what
// the server showed is kept for the message and for trusting it on purpose.
#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolin {

struct SshHostKey {
    std::string type;  // "ssh-ed25519", "ecdsa-sha2-nistp256", "ssh-rsa", ...
    std::string blob;  // the key in the SSH wire form (what known_hosts holds in Base64)
    bool operator==(const SshHostKey&) const = default;
};

// "SHA256:<Base64 without padding>", as ssh-keygen -l shows it.
std::string FingerprintOf(const SshHostKey& key);
// The key type named at the start of a wire-form key ("" when it is malformed).
std::string KeyTypeOfBlob(std::string_view blob);
// The host as known_hosts names it: "host" on port 22, "[host]:port" otherwise.
std::string KnownHostsName(std::string_view host, uint16_t port);

enum class HostKeyMatch : uint8_t {
    NotChecked,  // no key was seen (no connection, or not SSH)
    Known,       // the key known_hosts holds for the host
    Unknown,     // known_hosts holds no key for the host
    Changed,     // known_hosts holds another key for the host
};

struct HostKeyCheck {
    // The known_hosts file (OpenSSH form); a missing file knows no host.
    std::string knownHostsFile;
    // Take note of the key and end the connection whatever it is (trusting a host).
    bool learnOnly = false;
    // The outcome of the last connection that showed a key (the caller clears it).
    HostKeyMatch match = HostKeyMatch::NotChecked;
    SshHostKey key;
};

// Checks the host key of the connections of the next transfers on handle; check must
// outlive them. An unknown or changed key ends the connection before the logon.
void ApplyHostKeyCheck(CURL* handle, HostKeyCheck& check);

}  // namespace ferrolin
