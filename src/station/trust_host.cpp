#include "station/trust_host.h"

#include "remote/trust_host.h"

namespace ferrolin {

TrustHostLines TrustHostCommand(const std::string& programDir, const std::string& url,
                                bool replace) {
    TrustHostLines lines;
    const HostTrust trust(programDir);
    const TrustHostReport report = TrustHost(trust, url, replace);
    const std::string server = HostPortText(report.host, report.port);
    const bool ssh = report.scheme == FtpScheme::Sftp;
    const std::string file = ssh ? trust.KnownHostsFile() : trust.TrustedCertsFile();
    if (ssh && !report.hostKey.blob.empty()) {
        lines.output.push_back("Host key of " + server + ": " + report.hostKey.type + " " +
                               FingerprintOf(report.hostKey));
    } else if (!ssh && !report.certificate.pin.empty()) {
        lines.output.push_back("Certificate of " + server + ": " + report.certificate.subject);
        lines.output.push_back("  issued by " + report.certificate.issuer + ", expires " +
                               report.certificate.expires);
        lines.output.push_back("  public key SHA-256: " + report.certificate.pin);
    }
    if (!report.stored) {
        lines.errors.push_back(report.error);
        return lines;
    }
    switch (*report.stored) {
        case TrustStored::Added:
            lines.output.push_back("Added to " + file);
            break;
        case TrustStored::AlreadyTrusted:
            lines.output.push_back("Already trusted in " + file);
            break;
        case TrustStored::Replaced:
            lines.output.push_back("Replaced the former key in " + file);
            break;
        case TrustStored::Differs:
            lines.errors.push_back("Another key of " + server + " is trusted in " + file +
                                   "; nothing changed (--replace replaces it)");
            return lines;
    }
    lines.exitCode = 0;
    return lines;
}

}  // namespace ferrolin
