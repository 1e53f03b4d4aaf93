#include "engine/ftp_kind.h"

#include "common/log.h"
#include "engine/ftp_steps.h"
#include "engine/run_context.h"
#include "protocols/ftp_client.h"
#include "protocols/host_port.h"
#include "remote/ftp_address.h"
#include "remote/ftp_texts.h"
#include "remote/host_trust.h"

namespace ferrolin {

bool ConnectFtpSide(const RunContext& run, const TransferJob& job, const std::string& address,
                    const std::string& user, const std::string& password) {
    FtpSession& ftp = run.sessions.Ftp;
    // The address's scheme chooses plain FTP, FTP over TLS or SFTP; no port: the scheme's.
    const FtpLogon logon{
        FtpSchemeOf(address), FtpSession::FtpHostOf(address), user, password, job.passiveMode,
        job.sshKeyFile};
    if (ftp.Connect(logon)) return true;
    // The session's reason names host and server reply, never the password.
    run.log.Failure(std::string(kFtpConnectException) + ftp.LastError());
    if (!run.cancel.StopRequested()) ++run.log.JobsCutShort;
    return false;
}

void EndFtpWork(const RunContext& run) {
    if (!run.options.keepFtpConnected) run.sessions.Ftp.DisconnectFTP();
}

bool FtpSessionLost(const RunContext& run, const std::string& address) {
    if (run.sessions.Ftp.StillConnected()) return false;
    run.log.Write("FTP session to " + FtpSession::FtpHostOf(address) +
                  " lost: " + run.sessions.Ftp.LastError());
    ++run.log.JobsCutShort;
    return true;
}

void LogRefusedRemoteNames(const RunContext& run) {
    for (const FtpEntry& entry : run.sessions.Ftp.RemoteFiles()) {
        if (entry.refused) run.log.Write(std::string(kFtpRemoteNameRefused) + entry.name);
    }
}

SourceListing ListFtpSource(const RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    FtpSession& ftp = run.sessions.Ftp;
    ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    ftp.ClearDebugList();
    if (!ConnectFtpSide(run, job, job.source, job.sourceUser, job.sourcePassword)) {
        listing.complete = false;
        return listing;
    }
    const std::string folder = FtpSession::FtpFolderOf(job.source);
    ftp.ChangeDir(folder, true);
    if (ftp.FtpState() == FtpOperationState::Failed) {
        run.log.Failure("FTP folder " + folder + " could not be listed: " + ftp.LastError());
        listing.complete = false;
        ++run.log.JobsCutShort;
    } else {
        // A line the parser did not understand may stand for a file: the listing is
        // incomplete, so the mirror step deletes nothing, and the run says so.
        if (!ftp.ListingComplete()) {
            listing.complete = false;
            ++run.log.JobsCutShort;
        }
        LogRefusedRemoteNames(run);
        for (const FtpEntry& entry : ftp.RemoteFiles()) {
            if (!entry.refused)
                listing.entries.push_back(RemoteFileEntry(entry.name, entry.size, entry.fileTime));
        }
    }
    if (listing.entries.empty() && !run.options.keepFtpConnected) ftp.DisconnectFTP();
    return listing;
}

std::optional<std::string> FtpAddressProblem(const std::string& address) {
    const std::string host = FtpHostOf(address);
    if (host.empty()) return "no host name";
    if (!SplitHostPort(host, 21)) return "\"" + host + "\" is not host or host:port";
    return std::nullopt;
}

std::optional<std::string> FtpLogonProblem(const HostTrust& trust, const std::string& address,
                                           const std::string& user, const std::string& password,
                                           const TransferJob& job) {
    const FtpScheme scheme = FtpSchemeOf(address);
    const auto target = SplitHostPort(FtpHostOf(address), DefaultPort(scheme));
    if (!target) return std::nullopt;  // reported as an address that does not parse
    FtpConnectOptions options;
    options.scheme = scheme;
    options.sshKeyFile = job.sshKeyFile;
    options.knownHostsFile = trust.KnownHostsFile();
    options.tls = trust.TlsTrustFor(target->host, target->port);
    options.host = target->host;
    options.port = target->port;
    options.user = user;
    options.password = password;
    options.passive = job.passiveMode;
    options.stallTimeout = std::chrono::seconds(10);
    FtpClient client;
    std::string error;
    const FtpClient::Progress goOn = [](int64_t) { return true; };
    if (!client.Open(options, goOn, error)) return error;
    const std::string folder = FtpFolderOf(address);
    std::string now;
    if (!folder.empty() && !client.ChangeFolder(folder, now, goOn, error)) {
        client.Close();
        return "folder " + folder + ": " + error;
    }
    client.Close();
    return std::nullopt;
}

}  // namespace ferrolin
