#include "engine/ftp_kind.h"

#include "common/log.h"
#include "engine/ftp_steps.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

bool ConnectFtpSide(RunContext& run, const TransferJob& job, const std::string& address,
                    const std::string& user, const std::string& password) {
    FtpSession& ftp = run.Ftp;
    const std::string host = FtpSession::FtpHostOf(address);
    if (ftp.ConnectToFTP(user, password, host, "21", "", "", job.passiveMode, job.reportLevel))
        return true;
    // The session's reason names host and server reply, never the password.
    run.LogFailure(std::string(kFtpConnectException) + ftp.LastError());
    if (!run.Copy.Cancel.StopRequested()) ++run.JobsCutShort;
    return false;
}

void EndFtpWork(RunContext& run) {
    if (!run.Options.keepFtpConnected) run.Ftp.DisconnectFTP();
}

bool FtpSessionLost(RunContext& run, const std::string& address) {
    if (run.Ftp.StillConnected()) return false;
    WriteLog(0, run.LogFile,
             "FTP session to " + FtpSession::FtpHostOf(address) +
                 " lost: " + run.Ftp.LastError());
    ++run.JobsCutShort;
    return true;
}

void LogRefusedRemoteNames(RunContext& run) {
    for (const FtpEntry& entry : run.Ftp.RemoteFiles()) {
        if (entry.refused)
            WriteLog(0, run.LogFile, std::string(kFtpRemoteNameRefused) + entry.name);
    }
}

SourceListing ListFtpSource(RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    FtpSession& ftp = run.Ftp;
    ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    ftp.ClearDebugList();
    if (!ConnectFtpSide(run, job, job.source, job.sourceUser, job.sourcePassword)) {
        listing.complete = false;
        return listing;
    }
    const std::string folder = FtpSession::FtpFolderOf(job.source);
    ftp.ChangeDir(folder, 100, true);
    if (ftp.FtpState() == FtpOperationState::Failed) {
        run.LogFailure("FTP folder " + folder + " could not be listed: " + ftp.LastError());
        listing.complete = false;
        ++run.JobsCutShort;
    } else {
        // A line the parser did not understand may stand for a file: the listing is
        // incomplete, so the mirror step deletes nothing, and the run says so.
        if (!ftp.ListingComplete()) {
            listing.complete = false;
            ++run.JobsCutShort;
        }
        LogRefusedRemoteNames(run);
        for (const FtpEntry& entry : ftp.RemoteFiles()) {
            if (!entry.refused)
                listing.entries.push_back(RemoteFileEntry(entry.name, entry.size, entry.fileTime));
        }
    }
    if (listing.entries.empty() && !run.Options.keepFtpConnected) ftp.DisconnectFTP();
    return listing;
}

}  // namespace ferrolin
