// The upload loop to an FTP destination: each source file is sent (under ".tmp" first
// when the job uses temporary names, then renamed), one retry after a failure; a source
// file of zero bytes is a deletion order for the remote file of its name.
#include <set>

#include "common/log.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_steps.h"
#include "engine/program_files.h"
#include "platform/fs.h"
#include "protocols/ftp_listing.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {

// The remote path of a source file: the destination folder and the file's bare name,
// "/" in front.
std::string RemotePathFor(const std::string& remoteFolder, std::string_view fileName) {
    std::string path = remoteFolder + std::string(fileName);
    if (!path.empty() && path.front() != '/') path.insert(path.begin(), '/');
    return path;
}

// Sends one file; true when it is in place under its final name.
bool UploadOne(RunContext& run, const TransferJob& job, const std::string& source,
               const std::string& remote, int64_t size) {
    FtpSession& ftp = run.Ftp;
    Surfaces& surfaces = run.surfaces();
    const std::string target = job.UseTempFile ? remote + ".tmp" : remote;
    bool ok = ftp.SendFile(source, target, size);
    if (!ok && !run.Copy.Cancel.StopRequested()) ok = ftp.SendFile(source, target, size);
    if (!ok) return false;
    surfaces.ProcessMessages();
    if (job.UseTempFile) {
        // The remote file of that name may not exist yet; only the rename decides.
        ftp.DeleteFile(remote, 100);
        surfaces.ProcessMessages();
        if (!ftp.RenameFile(target, remote, 100)) return false;
        surfaces.ProcessMessages();
    }
    return true;
}

}  // namespace

void TransferToFtp(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    FtpSession& ftp = run.Ftp;
    Surfaces& surfaces = run.surfaces();
    ftp.SetTimeOuts(static_cast<int>(job.Modemspeed));
    surfaces.ProcessMessages();
    const bool connected =
        ConnectFtpSide(run, job, job.EmpfangsVerzeichnis, job.DestLName, job.DestLPassword);
    const std::string remoteFolder = FtpSession::GetFTPPfadFromString(job.EmpfangsVerzeichnis);
    std::set<std::string> uploaded;

    for (const SourceEntry& entry : listing.entries) {
        if (!connected || run.Copy.Cancel.StopRequested()) break;
        surfaces.ProcessMessages();
        const std::string& source = entry.name;
        const std::string_view fileName = LastPathComponent(source);
        if (IsRefusedRemoteName(fileName)) {
            WriteLog(0, run.LogFile, std::string(kFtpRemoteNameRefused) + std::string(fileName));
            ++run.FailedFiles;
            continue;
        }
        const std::string remote = RemotePathFor(remoteFolder, fileName);
        const int64_t size = entry.size;
        if (size > 0) {
            if (UploadOne(run, job, source, remote, size)) {
                uploaded.emplace(fileName);
                if (job.SourceDelete && !ProgramFileRefused(run, source, "Source")) {
                    surfaces.ProcessMessages();
                    platform::DeleteFile(source);
                }
                if (run.Options.SaveSuccessfulCopies)
                    WriteLog(0, run.LogFile, "send of " + surfaces.GaugeText() + " successful");
            } else if (!run.Copy.Cancel.StopRequested()) {
                WriteLog(0, run.LogFile, "send of " + source + " failed: " + ftp.LastError());
                ++run.FailedFiles;
            }
        } else if (ftp.DeleteFile(remote, 100)) {
            if (job.SourceDelete && !ProgramFileRefused(run, source, "Source"))
                platform::DeleteFile(source);
            WriteLog(0, run.LogFile, "0 Byte File " + source + " deleted");
        } else {
            WriteLog(0, run.LogFile, "File " + source + " deleting failed");
            ++run.FailedFiles;
        }
    }

    if (connected && job.CopyMode == CM_SourceIsMaster) {
        if (listing.complete) {
            MirrorFtpDestination(run, job, listing.entries, uploaded);
        } else {
            WriteLog(0, run.LogFile, "Source " + job.SendeVerzeichnis +
                                         " could not be listed completely; no remote file deleted");
        }
    }
    EndFtpWork(run);
}

}  // namespace ferrolin
