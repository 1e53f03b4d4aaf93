// The download loop of an FTP source: each listed file that the destination folder does
// not already hold unchanged is fetched into a temporary file and then renamed over its
// final name in one step, with the listed modification time. A file that fails (on the
// server or here) is counted and the loop goes on with the next; only a session that
// cannot be reached again ends it.
#include <optional>
#include <set>

#include "common/log.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_steps.h"
#include "engine/program_files.h"
#include "engine/run_context.h"
#include "engine/run_texts.h"
#include "engine/share_logon.h"
#include "platform/file_systems.h"
#include "platform/path.h"
#include "platform/staged_target.h"
#include "protocols/ftp_listing.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {

// The local file holds exactly what the listing describes: the same size and, when the
// listing gave a time (fileTime not 0), the same modification time.
bool LocalCopyEqual(platform::FileSystem& fs, const std::string& local, int64_t size,
                    int64_t fileTime) {
    const std::optional<platform::FileInfo> info = fs.Stat(local);
    if (!info || !info->Regular || info->Size != size) return false;
    return fileTime == 0 || info->LastWriteTime == fileTime;
}

struct Fetch {
    const RunContext& run;
    const TransferJob& job;
    const std::string& remoteFolder;
    const platform::NameTaken& taken;
    // The destination folder's file system: this computer's disks or a share.
    platform::FileSystem& fs;
};

// Fetches one listed file to local. The bytes received must be the listed size: a
// transfer the server ended early (or padded) is no copy of the file. On failure the old
// local copy stays and no temporary file is left; why says what went wrong.
bool FetchFile(const Fetch& fetch, const SourceEntry& entry, const std::string& local,
               FtpFileFacts& before, std::string& why) {
    FtpSession& ftp = fetch.run.sessions.Ftp;
    const std::string remote = fetch.remoteFolder + entry.name;
    std::optional<platform::StagedTarget> file =
        platform::StagedTarget::CreateFor(fetch.fs, local, why, fetch.taken);
    if (!file) return false;
    // What the server says of the file now, to tell later whether it changed meanwhile.
    if (fetch.job.deleteSource && !ftp.RemoteFileFacts(remote, before)) before = {};
    if (!ftp.ReceiveFile(remote, file->File(), entry.size)) {
        why = ftp.LastError();
        return false;
    }
    const std::optional<platform::FileInfo> info = file->File().Info();
    const int64_t received = info ? info->Size : -1;
    if (received != entry.size) {
        why = "received " + std::to_string(received) + " bytes of the " +
              std::to_string(entry.size) + " listed";
        return false;
    }
    // One rename replaces the old copy: there is always the old or the new file.
    // Flushed first when the server's copy is to be deleted (then this is the only one) or
    // the options ask for durable copies; the folder after the rename too.
    const bool durable = fetch.job.deleteSource || fetch.run.options.durableCopies;
    return file->Commit(local, why, durable, entry.modified);
}

// The server's file is still the one fetched: the same size and time as just before the
// download (where the server tells them), and the listed size.
bool RemoteUnchanged(FtpSession& ftp, const std::string& remote, const SourceEntry& entry,
                     const FtpFileFacts& before) {
    FtpFileFacts after;
    if (!before.size && !before.unixTime) {
        // The server tells neither: its folder is listed again and the entry compared.
        const std::string folder = remote.substr(0, remote.rfind('/') + 1);
        ftp.ChangeDir(folder, true);
        for (const FtpEntry& now : ftp.RemoteFiles()) {
            if (now.name == entry.name)
                return now.size == entry.size && now.fileTime == entry.modified;
        }
        return false;
    }
    return ftp.RemoteFileFacts(remote, after) && after == before && after.size == entry.size;
}

// The folder the listing came from, as the server named it: file paths are absolute.
std::string ListedFolder(const RunContext& run, const TransferJob& job) {
    std::string remoteFolder = FtpSession::FtpFolderOf(job.source);
    if (remoteFolder.empty()) remoteFolder = run.sessions.Ftp.CurrentFolder();
    if (remoteFolder.empty() || remoteFolder.back() != '/') remoteFolder += '/';
    return remoteFolder;
}

// A destination on a share is logged on to before its folder is made or looked at.
bool DownloadDestinationRefused(const RunContext& run, const TransferJob& job) {
    if (job.destination.empty() || !ShareLogonRefused(run.log, run.copy, job.destination,
                                                      job.destinationUser, job.destinationPassword))
        return false;
    ++run.log.JobsCutShort;
    return true;
}

// Where a listed file goes, or nothing (logged) when it may not be fetched at all.
std::optional<std::string> LocalPathFor(const RunContext& run, const TransferJob& job,
                                        const std::string& name) {
    if (IsRefusedRemoteName(name)) {
        run.log.Write(std::string(kFtpRemoteNameRefused) + name);
        return std::nullopt;
    }
    const std::string localName =
        StampFileName(name, job.addTimeStamp, job.timeStampFormat, run.clock.Now());
    const std::string local = platform::JoinPath(job.destination, localName);
    if (ProgramFileRefused(run.log, local)) return std::nullopt;
    return local;
}

// The destination already holds the listed file, and the job does not copy regardless.
bool AlreadyHeld(const TransferJob& job, platform::FileSystem& fs, const std::string& local,
                 const SourceEntry& entry) {
    return job.copyMode != CM_CopyAnyWay && LocalCopyEqual(fs, local, entry.size, entry.modified);
}

// A fetched file is in place: counted, and the server's copy deleted with SourceDelete
// when it is still the one fetched.
void AfterFetched(const RunContext& run, const TransferJob& job, const SourceEntry& entry,
                  const std::string& remote, const FtpFileFacts& before) {
    FtpSession& ftp = run.sessions.Ftp;
    run.log.Tally.Copied(entry.size);
    if (job.deleteSource) {
        run.face.ProcessMessages();
        if (!RemoteUnchanged(ftp, remote, entry, before)) {
            run.log.Write(remote + " changed since it was listed; kept for the next run");
        } else if (!ftp.DeleteFile(remote, 100)) {
            run.log.Failure("File " + remote + " deleting failed: " + ftp.LastError());
            ++run.log.FailedFiles;
        }
    }
    if (run.options.logSuccessfulCopies) run.log.Write("receive of " + remote + " successful");
}

}  // namespace

TransferPlan PlanFromFtp(const RunContext& run, const TransferJob& job,
                         const SourceListing& listing) {
    TransferPlan plan;
    const std::string remoteFolder = ListedFolder(run, job);
    if (DownloadDestinationRefused(run, job)) return plan;
    platform::FileSystem& fs = run.copy.Files.For(job.destination);
    std::set<std::string> planned;
    for (const SourceEntry& entry : listing.entries) {
        const std::string remote = remoteFolder + entry.name;
        const std::optional<std::string> local = LocalPathFor(run, job, entry.name);
        if (!local) {
            plan.AddSkip(SkipReason::NameRefused, remote);
        } else if (AlreadyHeld(job, fs, *local, entry)) {
            plan.Add(PlanVerb::Same, remote, *local);
        } else {
            plan.Add(PlanVerb::Download, remote, *local);
            planned.insert(std::string(LastPathComponent(*local)));
            if (job.deleteSource) plan.Add(PlanVerb::RemoteDelete, remote);
        }
    }
    if (job.copyMode == CM_SourceIsMaster)
        plan.Append(PlanFtpSourceMirror(run, job, listing, remoteFolder, planned));
    return plan;
}

void TransferFromFtp(const RunContext& run, const TransferJob& job, const SourceListing& listing) {
    Surfaces& surfaces = run.face;
    run.sessions.Ftp.SetTimeOuts(static_cast<int>(job.timeoutChoice));
    const std::string remoteFolder = ListedFolder(run, job);
    if (DownloadDestinationRefused(run, job)) {
        EndFtpWork(run);
        return;
    }
    platform::FileSystem& fs = run.copy.Files.For(job.destination);
    if (!job.destination.empty() && !fs.FolderExists(job.destination))
        fs.CreateFolders(job.destination);

    // Every listed name, reached or not, protects its local copy in the mirror step, and
    // no temporary file ever takes one of them.
    std::set<std::string> listed;
    for (const SourceList* list : {&listing.entries, &listing.settling})
        for (const SourceEntry& entry : *list) listed.insert(entry.name);
    const platform::NameTaken taken = [&](std::string_view name) {
        return listed.count(std::string(name)) != 0;
    };
    const Fetch fetch{run, job, remoteFolder, taken, fs};
    std::set<std::string> downloaded;
    bool sessionLost = false;

    for (const SourceEntry& entry : listing.entries) {
        if (run.cancel.StopRequested()) break;
        surfaces.ProcessMessages();
        const std::string& name = entry.name;
        const std::optional<std::string> target = LocalPathFor(run, job, name);
        if (!target) continue;
        const std::string& local = *target;
        const std::string localName(LastPathComponent(local));
        if (AlreadyHeld(job, fs, local, entry)) {
            run.log.Tally.Same();
            continue;
        }

        const std::string remote = remoteFolder + name;
        FtpFileFacts before;
        std::string why;
        if (!FetchFile(fetch, entry, local, before, why)) {
            if (run.cancel.StopRequested()) break;
            run.log.Failure(std::string(kFtpReceiveException) + remote + ": " + why);
            ++run.log.FailedFiles;
            if (FtpSessionLost(run, job.source)) {
                sessionLost = true;
                break;
            }
            continue;
        }
        downloaded.insert(localName);
        AfterFetched(run, job, entry, remote, before);
    }

    if (sessionLost || run.cancel.StopRequested()) {
        if (job.copyMode == CM_SourceIsMaster)
            run.log.Write("Download of " + remoteFolder + " ended early; no local file deleted");
    } else if (job.copyMode == CM_SourceIsMaster) {
        MirrorFtpSource(run, job, listing, remoteFolder, downloaded);
    }
    EndFtpWork(run);
}

}  // namespace ferrolin
