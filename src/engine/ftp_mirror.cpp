// The two mirror steps of "Source is master" with an FTP side.
#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/folder_mirror.h"
#include "engine/ftp_steps.h"
#include "engine/guarded_delete.h"
#include "engine/list_filters.h"
#include "engine/mirror_compare.h"
#include "engine/run_context.h"
#include "engine/transfer_kinds.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

void MirrorFtpDestination(const RunContext& run, const TransferJob& job,
                          const SourceListing& source,
                          const std::set<std::string>& protectedNames) {
    FtpSession& ftp = run.sessions.Ftp;
    Surfaces& panel = run.face;
    MirrorCheck check;
    check.side = MirrorSide::RemoteDestination;
    check.source = job.source;
    check.sourceComplete = source.complete;
    check.sourceFiles = source.SourceFiles();
    // A source that was not seen whole is decided on before the server is asked anything.
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        return;
    }
    const std::string address = FtpSession::FtpFolderOf(job.destination);
    const std::string folder = address.empty() ? std::string(1, '/') : address;
    ftp.ChangeDir(folder, false);
    if (ftp.FtpState() == FtpOperationState::Failed) {
        run.log.Failure("FTP folder " + folder + " could not be listed; no remote file deleted");
        ++run.log.JobsCutShort;
        return;
    }
    if (!ftp.ListingComplete()) {
        run.log.Write("FTP folder " + folder +
                      " was not listed completely; no remote file deleted");
        ++run.log.JobsCutShort;
        return;
    }
    // Refused names are not in the remote list, so they are never deleted.
    std::vector<std::string> remote;
    for (const FtpEntry& entry : ftp.RemoteFiles())
        if (!entry.refused) remote.push_back(entry.name);
    ExcludeBySuffix(job.excludeExtensions, remote);

    const std::string sourceFolder = DirectoryPart(job.source, false);
    std::vector<std::string> counterparts(protectedNames.begin(), protectedNames.end());
    for (const SourceList* list : {&source.entries, &source.settling}) {
        for (const SourceEntry& entry : *list) {
            std::string below = PathBelow(entry.name, sourceFolder);
            if (!below.empty()) counterparts.push_back(std::move(below));
        }
    }
    check.destinationFiles = remote.size();
    // Remote names are compared with their letter case: a.txt never protects A.txt, and
    // a just-uploaded a.txt is never left to be deleted because A.txt matched first.
    RemoveCommonExactCase(counterparts, remote, &panel);
    check.deletions = remote.size();
    if (!MirrorDeletionsAllowed(run.log, job, check)) return;

    for (const std::string& name : remote) {
        if (run.cancel.StopRequested()) break;
        if (ftp.DeleteFile(name, 100)) {
            run.log.Write("File " + name + " deleted");
            run.log.Tally.Deleted();
        } else {
            run.log.Failure("File " + name + " deleting failed");
            ++run.log.FailedFiles;
        }
        panel.ProcessMessages();
    }
}

void MirrorFtpSource(const RunContext& run, const TransferJob& job, const SourceListing& source,
                     const std::string& remoteFolder,
                     const std::set<std::string>& downloadedNames) {
    MirrorCheck check;
    check.side = MirrorSide::RemoteSource;
    check.source = remoteFolder;
    check.sourceComplete = source.complete;
    check.sourceFiles = source.SourceFiles();
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        return;
    }
    const std::string& destFolder = job.destination;
    if (destFolder.empty() || !platform::DirectoryExists(destFolder)) return;
    Surfaces& panel = run.face;
    std::vector<std::string> local = ListFolderFiles(destFolder, "*.*", false);
    ExcludeBySuffix(job.excludeExtensions, local);
    // Every listed name, reached or not, protects its local copy.
    std::vector<std::string> counterparts(downloadedNames.begin(), downloadedNames.end());
    for (const SourceList* list : {&source.entries, &source.settling})
        for (const SourceEntry& entry : *list) counterparts.push_back(entry.name);
    check.destinationFiles = local.size();
    RemoveCommonExactCase(counterparts, local, &panel);
    check.deletions = local.size();
    if (!MirrorDeletionsAllowed(run.log, job, check)) return;
    for (const std::string& name : local) {
        if (run.cancel.StopRequested()) break;
        DeleteBelowAndLog(run.log, run.copy.Files, destFolder,
                          platform::JoinPath(destFolder, name));
        panel.ProcessMessages();
    }
}

}  // namespace ferrolin
