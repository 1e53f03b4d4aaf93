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
#include "engine/run_context.h"
#include "engine/source_recheck.h"
#include "platform/file_systems.h"
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
    const RunContext& run;
    const TransferJob& job;
    FtpRemoteFolders& folders;
};

bool SendWithRetry(const RunContext& run, const std::string& source, const std::string& target,
                   int64_t size) {
    // The source is read through its file system: a file here or on a share.
    platform::FileSystem& fs = run.copy.Files.For(source);
    bool ok = run.sessions.Ftp.SendFile(fs, source, target, size);
    if (!ok && !run.cancel.StopRequested())
        ok = run.sessions.Ftp.SendFile(fs, source, target, size);
    return ok;
}

// Gives the sent temporary file its final name without ever leaving the server with no
// file under that name: the rename goes over the old file; only when the server refuses
// that and an old file may stand there is the old one deleted and the rename asked
// again; a server that refuses every rename gets the file stored again under its name.
bool PutInPlace(const RunContext& run, const std::string& source, const std::string& temporary,
                const std::string& remote, int64_t size, bool oldMayExist, std::string& why) {
    FtpSession& ftp = run.sessions.Ftp;
    if (ftp.RenameFile(temporary, remote, 100)) return true;
    why = ftp.LastError();
    if (run.cancel.StopRequested()) return false;
    if (oldMayExist && ftp.DeleteFile(remote, 100) && ftp.RenameFile(temporary, remote, 100))
        return true;
    if (run.cancel.StopRequested()) return false;
    run.log.Write("Rename of " + temporary + " refused; " + source + " is sent again as " + remote);
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
    FtpSession& ftp = up.run.sessions.Ftp;
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
        if (!up.run.cancel.StopRequested()) ftp.DeleteFile(temporary, 100);
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
    const RunContext& run = up.run;
    if (!SourceUnchanged(run.copy.Files.For(entry.name), entry)) {
        LogSourceKept(run.log, entry.name);
        return true;
    }
    if (!run.sessions.Ftp.DeleteFile(folder.path + name, 100)) {
        run.log.Write("File " + entry.name + " deleting failed");
        return false;
    }
    folder.names.erase(name);
    // The server's reply to the deletion is the completion this order asked for.
    if (up.job.deleteSource) DeleteCopiedSource(run.log, run.copy.Files, entry, {});
    run.log.Write("0 Byte File " + entry.name + " deleted");
    return true;
}

// Where each file goes, noted before any is sent: no temporary name takes one.
std::vector<std::string> ReserveTargets(const TransferJob& job, const SourceList& entries,
                                        FtpRemoteFolders& folders) {
    std::vector<std::string> relatives;
    relatives.reserve(entries.size());
    for (const SourceEntry& entry : entries) {
        relatives.push_back(RelativeRemotePath(job, entry.name));
        const size_t slash = relatives.back().rfind('/');
        folders.Reserve(
            slash == std::string::npos ? std::string() : relatives.back().substr(0, slash),
            relatives.back().substr(slash + 1));
    }
    return relatives;
}

// A sent file is in place: its time kept where the server lets it be set, the source
// deleted after it with SourceDelete.
void AfterSent(const Upload& up, FtpRemoteFolders::Folder& folder, const SourceEntry& entry,
               const std::string& name) {
    const RunContext& run = up.run;
    FtpSession& ftp = run.sessions.Ftp;
    folder.names.insert(name);
    // Over SFTP and FTPS the copy keeps the source's time where the server lets it be set;
    // plain FTP leaves the server's own.
    if (entry.modified != 0 && ftp.Scheme() != FtpScheme::Ftp && ftp.CanSetRemoteFileTimes())
        ftp.SetRemoteFileTime(folder.path + name, entry.modified);
    run.log.Tally.Copied(entry.size);
    // The server confirmed the transfer and the rename: the copy is in place.
    if (up.job.deleteSource) {
        run.face.ProcessMessages();
        DeleteCopiedSource(run.log, run.copy.Files, entry, {});
    }
    if (run.options.logSuccessfulCopies) run.log.Write("send of " + entry.name + " successful");
}

enum class SendOutcome : uint8_t { Done, Failed, Cancelled };

// Sends one source file to relative below the destination folder (a file of zero bytes:
// its deletion order).
SendOutcome SendEntry(const Upload& up, const SourceEntry& entry, const std::string& relative,
                      std::set<std::string>& uploaded) {
    const RunContext& run = up.run;
    const std::string& source = entry.name;
    const size_t slash = relative.rfind('/');
    const std::string name = relative.substr(slash + 1);
    std::string error;
    FtpRemoteFolders::Folder* folder = up.folders.Enter(
        slash == std::string::npos ? std::string() : relative.substr(0, slash), error);
    if (folder == nullptr) {
        run.log.Failure("send of " + source + " failed: " + error);
        return SendOutcome::Failed;
    }
    if (entry.size == 0)
        return ApplyDeletionOrder(up, *folder, entry, name) ? SendOutcome::Done
                                                            : SendOutcome::Failed;
    if (UploadOne(up, *folder, source, name, entry.size, error)) {
        AfterSent(up, *folder, entry, name);
        uploaded.insert(relative);
        return SendOutcome::Done;
    }
    if (run.cancel.StopRequested()) {
        run.log.Write("send of " + source + " cancelled");
        return SendOutcome::Cancelled;
    }
    run.log.Failure("send of " + source + " failed: " + error);
    return SendOutcome::Failed;
}

// A path the server may not be sent: logged and counted as a failed file.
bool RemotePathRefused(const RunContext& run, const std::string& relative) {
    if (!RefusedRemotePath(relative)) return false;
    run.log.Failure(std::string(kFtpRemoteNameRefused) + relative);
    ++run.log.FailedFiles;
    return true;
}

// The actions for one source file sent to remote: its upload (for zero bytes: the
// deletion of the remote file), and the deletion of the source after it.
void PlanOneUpload(const TransferJob& job, const SourceEntry& entry, const std::string& remote,
                   TransferPlan& plan) {
    plan.Add(entry.size > 0 ? PlanVerb::Upload : PlanVerb::RemoteDelete,
             entry.size > 0 ? entry.name : remote, entry.size > 0 ? remote : std::string());
    if (job.deleteSource) plan.Add(PlanVerb::Delete, entry.name);
}

}  // namespace

TransferPlan PlanToFtp(const RunContext& run, const TransferJob& job,
                       const SourceListing& listing) {
    TransferPlan plan;
    run.sessions.Ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    if (!ConnectFtpSide(run, job, job.destination, job.destinationUser, job.destinationPassword))
        return plan;
    std::string base = FtpSession::FtpFolderOf(job.destination);
    if (base.empty() || base.back() != '/') base += '/';
    std::set<std::string> planned;
    for (const SourceEntry& entry : listing.entries) {
        const std::string relative = RelativeRemotePath(job, entry.name);
        if (RemotePathRefused(run, relative)) {
            plan.AddSkip(SkipReason::NameRefused, entry.name);
            continue;
        }
        PlanOneUpload(job, entry, base + relative, plan);
        if (entry.size > 0) planned.insert(relative);
    }
    if (job.copyMode == CM_SourceIsMaster)
        plan.Append(PlanFtpDestinationMirror(run, job, listing, planned));
    EndFtpWork(run);
    return plan;
}

void TransferToFtp(const RunContext& run, const TransferJob& job, const SourceListing& listing) {
    FtpSession& ftp = run.sessions.Ftp;
    ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    run.face.ProcessMessages();
    const bool connected =
        ConnectFtpSide(run, job, job.destination, job.destinationUser, job.destinationPassword);
    FtpRemoteFolders folders(ftp, FtpSession::FtpFolderOf(job.destination));
    const Upload up{run, job, folders};
    const std::vector<std::string> relatives = ReserveTargets(job, listing.entries, folders);
    std::set<std::string> uploaded;
    bool sessionLost = false;

    for (size_t i = 0; i < listing.entries.size(); ++i) {
        if (!connected || run.cancel.StopRequested()) break;
        run.face.ProcessMessages();
        if (RemotePathRefused(run, relatives[i])) continue;
        const SendOutcome outcome = SendEntry(up, listing.entries[i], relatives[i], uploaded);
        if (outcome == SendOutcome::Cancelled) break;
        if (outcome == SendOutcome::Done) continue;
        ++run.log.FailedFiles;
        if (FtpSessionLost(run, job.destination)) {
            sessionLost = true;
            break;
        }
    }

    if (connected && job.copyMode == CM_SourceIsMaster) {
        if (sessionLost && listing.complete) {
            run.log.Write("Upload to " + folders.PathOf("") +
                          " ended early; no remote file deleted");
        } else {
            MirrorFtpDestination(run, job, listing, uploaded);
        }
    }
    EndFtpWork(run);
}

}  // namespace ferrolin
