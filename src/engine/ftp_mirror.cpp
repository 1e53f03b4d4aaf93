// The two mirror steps of "Source is master" with an FTP side.
#include <algorithm>
#include <optional>

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

namespace {

MirrorCheck CheckOf(MirrorSide side, const std::string& source, const SourceListing& listing) {
    MirrorCheck check;
    check.side = side;
    check.source = source;
    check.sourceComplete = listing.complete;
    check.sourceFiles = listing.SourceFiles();
    return check;
}

// How many of the names a run will have put in place the listing of the other side does
// not show yet: the step finds them there after the transfer.
size_t NotYetListed(const std::set<std::string>& names, const std::vector<std::string>& listed) {
    size_t count = 0;
    for (const std::string& name : names)
        if (name.find('/') == std::string::npos &&
            std::find(listed.begin(), listed.end(), name) == listed.end())
            ++count;
    return count;
}

// The remote files of the destination folder (names in the folder the session is left
// in) that neither a source file nor protectedNames accounts for, with check's
// destination figures filled in; nothing (logged, counted) when the folder could not be
// listed whole.
std::optional<std::vector<std::string>> RemoteOrphans(const RunContext& run, const TransferJob& job,
                                                      const SourceListing& source,
                                                      const std::set<std::string>& protectedNames,
                                                      MirrorCheck& check, bool planned) {
    FtpSession& ftp = run.sessions.Ftp;
    const std::string address = FtpSession::FtpFolderOf(job.destination);
    const std::string folder = address.empty() ? std::string(1, '/') : address;
    ftp.ChangeDir(folder, false);
    if (ftp.FtpState() == FtpOperationState::Failed) {
        run.log.Failure("FTP folder " + folder + " could not be listed; no remote file deleted");
        ++run.log.JobsCutShort;
        return std::nullopt;
    }
    if (!ftp.ListingComplete()) {
        run.log.Write("FTP folder " + folder +
                      " was not listed completely; no remote file deleted");
        ++run.log.JobsCutShort;
        return std::nullopt;
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
    check.destinationFiles = remote.size() + (planned ? NotYetListed(protectedNames, remote) : 0);
    // Remote names are compared with their letter case: a.txt never protects A.txt, and
    // a just-uploaded a.txt is never left to be deleted because A.txt matched first.
    RemoveCommonExactCase(counterparts, remote, &run.face);
    check.deletions = remote.size();
    return remote;
}

// The files of the destination folder (no subfolders) that match neither a listed remote
// name nor downloadedNames, with check's destination figures filled in; nothing when
// there is no destination folder.
std::optional<std::vector<std::string>> LocalOrphans(const RunContext& run, const TransferJob& job,
                                                     const SourceListing& source,
                                                     const std::set<std::string>& downloadedNames,
                                                     MirrorCheck& check, bool planned) {
    const std::string& destFolder = job.destination;
    if (destFolder.empty() || !platform::DirectoryExists(destFolder)) return std::nullopt;
    std::vector<std::string> local = ListFolderFiles(destFolder, "*.*", false);
    ExcludeBySuffix(job.excludeExtensions, local);
    // Every listed name, reached or not, protects its local copy.
    std::vector<std::string> counterparts(downloadedNames.begin(), downloadedNames.end());
    for (const SourceList* list : {&source.entries, &source.settling})
        for (const SourceEntry& entry : *list) counterparts.push_back(entry.name);
    check.destinationFiles = local.size() + (planned ? NotYetListed(downloadedNames, local) : 0);
    RemoveCommonExactCase(counterparts, local, &run.face);
    check.deletions = local.size();
    return local;
}

// The guard's verdict on a planned mirror step: its deletions, or the skip that says why
// there are none.
TransferPlan PlanGuarded(const RunContext& run, const TransferJob& job, const MirrorCheck& check,
                         const std::string& where, const std::vector<std::string>& orphans,
                         PlanVerb verb) {
    TransferPlan plan;
    if (!MirrorDeletionsAllowed(run.log, job, check)) {
        plan.AddSkip(SkipReasonFor(JudgeMirrorDeletions(job, check)), where);
        return plan;
    }
    for (const std::string& orphan : orphans) plan.Add(verb, platform::JoinPath(where, orphan));
    return plan;
}

}  // namespace

void MirrorFtpDestination(const RunContext& run, const TransferJob& job,
                          const SourceListing& source,
                          const std::set<std::string>& protectedNames) {
    MirrorCheck check = CheckOf(MirrorSide::RemoteDestination, job.source, source);
    // A source that was not seen whole is decided on before the server is asked anything.
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        return;
    }
    const std::optional<std::vector<std::string>> remote =
        RemoteOrphans(run, job, source, protectedNames, check, false);
    if (!remote || !MirrorDeletionsAllowed(run.log, job, check)) return;
    FtpSession& ftp = run.sessions.Ftp;
    for (const std::string& name : *remote) {
        if (run.cancel.StopRequested()) break;
        if (ftp.DeleteFile(name, 100)) {
            run.log.Write("File " + name + " deleted");
            run.log.Tally.Deleted();
        } else {
            run.log.Failure("File " + name + " deleting failed");
            ++run.log.FailedFiles;
        }
        run.face.ProcessMessages();
    }
}

TransferPlan PlanFtpDestinationMirror(const RunContext& run, const TransferJob& job,
                                      const SourceListing& source,
                                      const std::set<std::string>& plannedNames) {
    MirrorCheck check = CheckOf(MirrorSide::RemoteDestination, job.source, source);
    const std::string folder = FtpSession::FtpFolderOf(job.destination);
    TransferPlan plan;
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        plan.AddSkip(SkipReason::SourceIncomplete, folder);
        return plan;
    }
    const std::optional<std::vector<std::string>> remote =
        RemoteOrphans(run, job, source, plannedNames, check, true);
    if (!remote) return plan;
    return PlanGuarded(run, job, check, run.sessions.Ftp.CurrentFolder(), *remote,
                       PlanVerb::RemoteDelete);
}

void MirrorFtpSource(const RunContext& run, const TransferJob& job, const SourceListing& source,
                     const std::string& remoteFolder,
                     const std::set<std::string>& downloadedNames) {
    MirrorCheck check = CheckOf(MirrorSide::RemoteSource, remoteFolder, source);
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        return;
    }
    const std::optional<std::vector<std::string>> local =
        LocalOrphans(run, job, source, downloadedNames, check, false);
    if (!local || !MirrorDeletionsAllowed(run.log, job, check)) return;
    const std::string& destFolder = job.destination;
    for (const std::string& name : *local) {
        if (run.cancel.StopRequested()) break;
        DeleteBelowAndLog(run.log, run.copy.Files, destFolder,
                          platform::JoinPath(destFolder, name));
        run.face.ProcessMessages();
    }
}

TransferPlan PlanFtpSourceMirror(const RunContext& run, const TransferJob& job,
                                 const SourceListing& source, const std::string& remoteFolder,
                                 const std::set<std::string>& plannedNames) {
    MirrorCheck check = CheckOf(MirrorSide::RemoteSource, remoteFolder, source);
    TransferPlan plan;
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        plan.AddSkip(SkipReason::SourceIncomplete, job.destination);
        return plan;
    }
    const std::optional<std::vector<std::string>> local =
        LocalOrphans(run, job, source, plannedNames, check, true);
    if (!local) return plan;
    return PlanGuarded(run, job, check, job.destination, *local, PlanVerb::Delete);
}

}  // namespace ferrolin
