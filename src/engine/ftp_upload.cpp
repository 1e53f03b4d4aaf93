// The upload loop to an FTP destination: each source file is sent to its place below the
// destination folder (a recursive source keeps its subfolders, made on the server as
// needed), under a temporary name first when the job uses them and then put in place by
// a rename; one retry after a failed send. A source file of zero bytes is a deletion
// order for the remote file of its name. A failed file is counted and the loop goes on;
// only a session that cannot be reached again ends it.
#include <set>

#include "common/log.h"
#include "engine/folder_mirror.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_remote_folders.h"
#include "engine/ftp_steps.h"
#include "engine/guarded_delete.h"
#include "engine/source_recheck.h"
#include "platform/temp_name.h"
#include "protocols/ftp_listing.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {

// Where a source file goes below the destination folder: its path below the source
// folder for a recursive job, its bare name otherwise (and for a file listed from
// elsewhere).
std::string RelativeRemotePath(const TransferJob& job, const std::string& source) {
    if (job.subfolders == 1) {
        std::string below = PathBelow(source, DirectoryPart(job.source, false));
        if (!below.empty()) return below;
    }
    return std::string(LastPathComponent(source));
}

// Every level of the path must be a name the server may be sent.
bool RefusedRemotePath(std::string_view relative) {
    for (size_t start = 0;;) {
        const size_t slash = relative.find('/', start);
        if (IsRefusedRemoteName(relative.substr(start, slash - start))) return true;
        if (slash == std::string_view::npos) return false;
        start = slash + 1;
    }
}

struct Upload {
    RunContext& run;
    const TransferJob& job;
    FtpRemoteFolders& folders;
};

bool SendWithRetry(RunContext& run, const std::string& source, const std::string& target,
                   int64_t size) {
    bool ok = run.Ftp.SendFile(source, target, size);
    if (!ok && !run.Copy.Cancel.StopRequested()) ok = run.Ftp.SendFile(source, target, size);
    return ok;
}

// Gives the sent temporary file its final name without ever leaving the server with no
// file under that name: the rename goes over the old file; only when the server refuses
// that and an old file may stand there is the old one deleted and the rename asked
// again; a server that refuses every rename gets the file stored again under its name.
bool PutInPlace(RunContext& run, const std::string& source, const std::string& temporary,
                const std::string& remote, int64_t size, bool oldMayExist, std::string& why) {
    FtpSession& ftp = run.Ftp;
    if (ftp.RenameFile(temporary, remote, 100)) return true;
    why = ftp.LastError();
    if (run.Copy.Cancel.StopRequested()) return false;
    if (oldMayExist && ftp.DeleteFile(remote, 100) && ftp.RenameFile(temporary, remote, 100))
        return true;
    if (run.Copy.Cancel.StopRequested()) return false;
    WriteLog(0, run.LogFile,
             "Rename of " + temporary + " refused; " + source + " is sent again as " + remote);
    if (!SendWithRetry(run, source, remote, size)) {
        why = ftp.LastError();
        return false;
    }
    ftp.DeleteFile(temporary, 100);
    return true;
}

// Sends one file of more than zero bytes; true when it is in place under its final name.
bool UploadOne(const Upload& up, FtpRemoteFolders::Folder& folder, const std::string& source,
               const std::string& name, int64_t size, std::string& why) {
    FtpSession& ftp = up.run.Ftp;
    const std::string remote = folder.path + name;
    if (!up.job.useTempFile) {
        if (SendWithRetry(up.run, source, remote, size)) return true;
        why = ftp.LastError();
        return false;
    }
    const std::string temporary =
        platform::FreeTempPathFor(remote, [&](std::string_view candidate) {
            return up.folders.Taken(folder, std::string(candidate));
        });
    if (temporary.empty()) {
        why = "no free temporary name beside " + remote;
        return false;
    }
    // Ours from now on: no later file of the run takes this name too.
    folder.names.insert(temporary.substr(folder.path.size()));
    if (!SendWithRetry(up.run, source, temporary, size)) {
        why = ftp.LastError();
        // What a broken send left under the temporary name is of no use to anyone.
        if (!up.run.Copy.Cancel.StopRequested()) ftp.DeleteFile(temporary, 100);
        return false;
    }
    const bool oldMayExist = !folder.listed || folder.names.count(name) != 0;
    return PutInPlace(up.run, source, temporary, remote, size, oldMayExist, why);
}

// The zero-byte rule: the remote file of the source's name is deleted, provided the
// source is still empty and untouched (a file being written meanwhile is no order).
// False when the deletion failed.
bool ApplyDeletionOrder(const Upload& up, FtpRemoteFolders::Folder& folder,
                        const SourceEntry& entry, const std::string& name) {
    RunContext& run = up.run;
    if (!SourceUnchanged(run.Copy.Files.For(entry.name), entry)) {
        LogSourceKept(run, entry.name);
        return true;
    }
    if (!run.Ftp.DeleteFile(folder.path + name, 100)) {
        WriteLog(0, run.LogFile, "File " + entry.name + " deleting failed");
        return false;
    }
    folder.names.erase(name);
    // The server's reply to the deletion is the completion this order asked for.
    if (up.job.deleteSource) DeleteCopiedSource(run, entry, {});
    WriteLog(0, run.LogFile, "0 Byte File " + entry.name + " deleted");
    return true;
}

}  // namespace

void TransferToFtp(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    FtpSession& ftp = run.Ftp;
    Surfaces& surfaces = run.surfaces();
    ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    surfaces.ProcessMessages();
    const bool connected =
        ConnectFtpSide(run, job, job.destination, job.destinationUser, job.destinationPassword);
    FtpRemoteFolders folders(ftp, FtpSession::FtpFolderOf(job.destination));
    const Upload up{run, job, folders};

    // Where each file goes, noted before any is sent: no temporary name takes one.
    std::vector<std::string> relatives;
    for (const SourceEntry& entry : listing.entries) {
        relatives.push_back(RelativeRemotePath(job, entry.name));
        const size_t slash = relatives.back().rfind('/');
        folders.Reserve(
            slash == std::string::npos ? std::string() : relatives.back().substr(0, slash),
            relatives.back().substr(slash + 1));
    }
    std::set<std::string> uploaded;
    bool sessionLost = false;

    for (size_t i = 0; i < listing.entries.size(); ++i) {
        if (!connected || run.Copy.Cancel.StopRequested()) break;
        surfaces.ProcessMessages();
        const SourceEntry& entry = listing.entries[i];
        const std::string& source = entry.name;
        const std::string& relative = relatives[i];
        if (RefusedRemotePath(relative)) {
            run.LogFailure(std::string(kFtpRemoteNameRefused) + relative);
            ++run.FailedFiles;
            continue;
        }
        const size_t slash = relative.rfind('/');
        const std::string name = relative.substr(slash + 1);
        std::string error;
        FtpRemoteFolders::Folder* folder = folders.Enter(
            slash == std::string::npos ? std::string() : relative.substr(0, slash), error);
        bool failed = false;
        if (folder == nullptr) {
            run.LogFailure("send of " + source + " failed: " + error);
            failed = true;
        } else if (entry.size > 0) {
            if (UploadOne(up, *folder, source, name, entry.size, error)) {
                folder->names.insert(name);
                // Over SFTP and FTPS the copy keeps the source's time where the server
                // lets it be set; plain FTP leaves the server's own.
                if (entry.modified != 0 && ftp.Scheme() != FtpScheme::Ftp &&
                    ftp.CanSetRemoteFileTimes())
                    ftp.SetRemoteFileTime(folder->path + name, entry.modified);
                uploaded.insert(relative);
                run.Tally.Copied(entry.size);
                // The server confirmed the transfer and the rename: the copy is in place.
                if (job.deleteSource) {
                    surfaces.ProcessMessages();
                    DeleteCopiedSource(run, entry, {});
                }
                if (run.Options.logSuccessfulCopies)
                    WriteLog(0, run.LogFile, "send of " + source + " successful");
            } else if (run.Copy.Cancel.StopRequested()) {
                WriteLog(0, run.LogFile, "send of " + source + " cancelled");
                break;
            } else {
                run.LogFailure("send of " + source + " failed: " + error);
                failed = true;
            }
        } else {
            failed = !ApplyDeletionOrder(up, *folder, entry, name);
        }
        if (!failed) continue;
        ++run.FailedFiles;
        if (FtpSessionLost(run, job.destination)) {
            sessionLost = true;
            break;
        }
    }

    if (connected && job.copyMode == CM_SourceIsMaster) {
        if (sessionLost && listing.complete) {
            WriteLog(0, run.LogFile,
                     "Upload to " + folders.PathOf("") + " ended early; no remote file deleted");
        } else {
            MirrorFtpDestination(run, job, listing, uploaded);
        }
    }
    EndFtpWork(run);
}

}  // namespace ferrolin
