#include "remote/trust_host.h"

#include "protocols/ftp_client.h"
#include "protocols/host_port.h"
#include "remote/ftp_address.h"

namespace ferrolin {

TrustHostReport TrustHost(const HostTrust& trust, std::string_view url, bool replace,
                          std::chrono::milliseconds timeout) {
    TrustHostReport report;
    const auto scheme = SchemeAtStart(url);
    if (!scheme || *scheme == FtpScheme::Ftp) {
        report.error =
            "Not an address of a server with a host key or certificate: " + std::string(url) +
            " (sftp://, ftps:// or ftpes://)";
        return report;
    }
    report.scheme = *scheme;
    const auto target = SplitHostPort(FtpHostOf(url), DefaultPort(*scheme));
    if (!target) {
        report.error = "Not a valid host address: " + std::string(url);
        return report;
    }
    report.host = target->host;
    report.port = target->port;

    FtpConnectOptions options;
    options.scheme = *scheme;
    options.host = target->host;
    options.port = target->port;
    options.user = "anonymous";
    options.knownHostsFile = trust.KnownHostsFile();
    options.learnIdentity = true;
    options.connectTimeout = timeout;
    options.stallTimeout = timeout;
    FtpClient client;
    std::string error;
    // The connection ends once the server has shown who it is; its failure is expected.
    client.Open(
        options, [](int64_t) { return true; }, error);
    client.Close();
    const FtpClient::ServerIdentity identity = client.Identity();

    if (*scheme == FtpScheme::Sftp) {
        report.hostKey = identity.hostKey;
        if (report.hostKey.blob.empty()) {
            report.error = error.empty() ? "The server showed no host key" : error;
            return report;
        }
        report.stored =
            trust.TrustHostKey(report.host, report.port, report.hostKey, replace, report.error);
    } else {
        report.certificate = identity.certificate;
        if (report.certificate.pin.empty()) {
            report.error = error.empty() ? "The server showed no certificate" : error;
            return report;
        }
        report.stored = trust.TrustCertificate(report.host, report.port, report.certificate,
                                               replace, report.error);
    }
    return report;
}

}  // namespace ferrolin
