#include "remote/trust_texts.h"

#include "remote/host_trust.h"

namespace ferrolin {

std::string IdentityRefusalText(FtpScheme scheme, std::string_view host, uint16_t port,
                                const FtpClient::ServerIdentity& identity) {
    const std::string server = HostPortText(host, port);
    const std::string trustCommand =
        "ferrolin-cli trust-host " + std::string(SchemePrefix(scheme)) + server;
    switch (identity.hostKeyMatch) {
        case HostKeyMatch::Unknown:
            return "Host key of " + server + " is not known (" + FingerprintOf(identity.hostKey) +
                   "); trust it with: " + trustCommand;
        case HostKeyMatch::Changed:
            return "Host key of " + server + " has CHANGED (" + FingerprintOf(identity.hostKey) +
                   ")";
        case HostKeyMatch::NotChecked:
        case HostKeyMatch::Known:
            break;
    }
    if (identity.certificateProblem == TlsProblem::None) return {};
    std::string text = "Certificate of " + server + " not trusted (" +
                       std::string(TlsProblemText(identity.certificateProblem)) + ")";
    if (identity.certificateProblem == TlsProblem::UnknownIssuer)
        text += "; trust it with: " + trustCommand;
    return text;
}

}  // namespace ferrolin
