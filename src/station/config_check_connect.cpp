// "check --connect": logs on to each server and share a job names, looks at the named
// folder, and leaves again. Only commands that read are sent: a logon, a change of
// folder, a status question, a quit.
#include "engine/folder_listing.h"
#include "files/share_logon.h"
#include "platform/errors.h"
#include "platform/path.h"
#include "protocols/ftp_client.h"
#include "protocols/host_port.h"
#include "protocols/pop3_client.h"
#include "protocols/smb_shares.h"
#include "remote/ftp_address.h"
#include "station/config_check.h"
#include "station/config_check_job.h"

namespace ferrolin {

namespace {

// Logon and folder of an FTP address; nothing when it logs on and the folder is there.
std::optional<std::string> FtpLogonProblem(const std::string& address, const std::string& user,
                                           const std::string& password, bool passive) {
    const auto target = SplitHostPort(FtpHostOf(address), 21);
    if (!target) return std::nullopt;  // reported as an address that does not parse
    FtpConnectOptions options;
    options.host = target->host;
    options.port = target->port;
    options.user = user;
    options.password = password;
    options.passive = passive;
    options.stallTimeout = std::chrono::seconds(10);
    FtpClient client;
    std::string error;
    const FtpClient::Progress go_on = [](int64_t) { return true; };
    if (!client.Open(options, go_on, error)) return error;
    const std::string folder = FtpFolderOf(address);
    std::string now;
    if (!folder.empty() && !client.ChangeFolder(folder, now, go_on, error)) {
        client.Close();
        return "folder " + folder + ": " + error;
    }
    client.Close();
    return std::nullopt;
}

std::optional<std::string> MailLogonProblem(const std::string& address, const std::string& user,
                                            const std::string& password) {
    if (!ParsePop3Address(address)) return std::nullopt;
    Pop3Options options;
    options.connectTimeout = std::chrono::seconds(10);
    options.stallTimeout = std::chrono::seconds(10);
    Pop3Client client(options);
    std::string error;
    if (!client.Connect(address, user, password, error)) return error;
    // Nothing was marked for deletion, so the quit deletes nothing.
    client.Disconnect();
    return std::nullopt;
}

std::optional<std::string> ShareLogonProblem(SmbShares& shares, const std::string& path,
                                             const std::string& user, const std::string& password) {
    const int32_t refused = shares.AddConnection(ShareRemoteName(path), user, password);
    if (refused != 0) return platform::ErrorMessage(refused);
    if (!shares.FolderExists(path)) return "the folder cannot be found on the share";
    return std::nullopt;
}

}  // namespace

std::vector<ConfigFinding> CheckConfigConnections(const std::string& iniFile) {
    std::vector<ConfigFinding> findings;
    SmbShares shares;
    for (const CheckedJob& job : ReadCheckedJobs(iniFile)) {
        const TransferJob& s = job.settings;
        auto add = [&](const char* key, const std::optional<std::string>& problem) {
            if (problem) findings.push_back(job.Finding(key, FindingKind::LogonFailed, *problem));
        };
        if (job.kind == Tran_FTPR) {
            add("SendeVerzeichnis", FtpLogonProblem(s.source, s.sourceUser,
                                                    s.sourcePassword, s.passiveMode));
        } else if (job.kind == Tran_Pop3R) {
            add("SendeVerzeichnis",
                MailLogonProblem(s.source, s.sourceUser, s.sourcePassword));
        } else if (job.kind == Tran_Windows && platform::IsSharePath(s.source)) {
            add("SendeVerzeichnis",
                ShareLogonProblem(shares, SplitFolderAndMask(s.source).folder,
                                  s.sourceUser, s.sourcePassword));
        }
        if (job.ftpUpload) {
            add("EmpfangsVerzeichnis", FtpLogonProblem(s.destination, s.destinationUser,
                                                       s.destinationPassword, s.passiveMode));
        } else if (platform::IsSharePath(s.destination)) {
            add("EmpfangsVerzeichnis",
                ShareLogonProblem(shares, s.destination, s.destinationUser, s.destinationPassword));
        }
    }
    return findings;
}

}  // namespace ferrolin
