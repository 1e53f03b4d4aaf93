#pragma once
// Whom a TLS connection trusts, and why a server was not trusted. A server's certificate
// must be vouched for by the system's CAs (or the given bundle) and name the host it was
// reached by; a host whose public key was pinned is trusted by that key alone, on the
// host and port it was pinned for (a self-signed server the operator has checked).
#include <curl/curl.h>

#include <string>
#include <string_view>

namespace ferrolin {

struct TlsTrust {
    // The CA bundle (PEM); empty: the system's, or the file SSL_CERT_FILE names.
    std::string caFile;
    // "sha256//<Base64 of the SHA-256 of the public key>": this key and no other.
    std::string pinnedKey;
};

// Sets the verification options of one transfer on handle.
void ApplyTlsTrust(CURL* handle, const TlsTrust& trust);

// Why a certificate was refused.
enum class TlsProblem : uint8_t {
    None,
    Expired,
    NotYetValid,
    WrongHost,      // valid, but for another name
    UnknownIssuer,  // self-signed, or signed by a CA this system does not know
    PinMismatch,    // the host's pinned key is not the key it showed
    Other,          // refused for another reason (revoked, a bad signature, ...)
};

// What a failed transfer on handle says about the certificate; None when the failure had
// nothing to do with it.
TlsProblem TlsProblemOf(CURL* handle, CURLcode code);

// "expired", "wrong host", "unknown issuer", ... for the log.
std::string_view TlsProblemText(TlsProblem problem);

// A server certificate as shown, for the operator to check before pinning it.
struct PeerCertificate {
    std::string subject;  // "CN = 127.0.0.1"
    std::string issuer;
    std::string expires;  // "Jan  9 02:14:15 2027 GMT"
    // The pin of its public key ("sha256//..."), empty when none was seen.
    std::string pin;
};

// The TLS handshakes of the next transfers on handle stop at the server's certificate:
// it is kept in seen (which must outlive them), and the connection ends before anything
// else is sent (no logon, no password). Nothing is verified.
void StopAtPeerCertificate(CURL* handle, PeerCertificate& seen);

// The pin of the public key of a PEM certificate; empty when it cannot be read.
std::string PinOfCertificate(std::string_view pem);

}  // namespace ferrolin
