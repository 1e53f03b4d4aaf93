// "check --connect": logs on to each server and share a job names, looks at the named
// folder, and leaves again. Only commands that read are sent: a logon, a change of
// folder, a status question, a quit.
#include "engine/folder_listing.h"
#include "files/share_logon.h"
#include "platform/errors.h"
#include "platform/path.h"
#include "protocols/smb_shares.h"
#include "remote/host_trust.h"
#include "station/config_check.h"
#include "station/config_check_job.h"

namespace ferrolin {

namespace {

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
    const HostTrust trust(platform::FolderOf(iniFile));
    for (const CheckedJob& job : ReadCheckedJobs(iniFile)) {
        const TransferJob& s = job.settings;
        auto add = [&](const char* key, const std::optional<std::string>& problem) {
            if (problem) findings.push_back(job.Finding(key, FindingKind::LogonFailed, *problem));
        };
        const SourceKind& from = *job.kind.source;
        if (from.probeLogon) {
            add("SendeVerzeichnis",
                from.probeLogon(trust, s.source, s.sourceUser, s.sourcePassword, s));
        } else if (from.form == SourceForm::Folder && platform::IsSharePath(s.source)) {
            add("SendeVerzeichnis", ShareLogonProblem(shares, SplitFolderAndMask(s.source).folder,
                                                      s.sourceUser, s.sourcePassword));
        }
        if (job.kind.ToAddress()) {
            if (const LogonProbe probe = job.kind.destination->probeLogon)
                add("EmpfangsVerzeichnis",
                    probe(trust, s.destination, s.destinationUser, s.destinationPassword, s));
        } else if (platform::IsSharePath(s.destination)) {
            add("EmpfangsVerzeichnis",
                ShareLogonProblem(shares, s.destination, s.destinationUser, s.destinationPassword));
        }
    }
    return findings;
}

}  // namespace ferrolin
