#include "engine/folder_kind.h"

#include <map>

#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/folder_transfer.h"
#include "engine/job_guards.h"
#include "engine/run_context.h"
#include "engine/share_logon.h"
#include "files/share_logon.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin {

SourceListing ListFolderSource(const RunContext& run, const TransferJob& job, Surfaces* panel) {
    SourceListing listing;
    const std::string& source = job.source;
    const FolderAndMask folder = SplitFolderAndMask(source);
    const std::string folderAndMask = platform::JoinPath(folder.folder, folder.mask);
    if (ShareLogonRefused(run.log, run.copy, folderAndMask, job.sourceUser, job.sourcePassword)) {
        // Nothing was listed, which says nothing about what the source holds: the
        // mirror step must not take it for an empty folder.
        listing.complete = false;
        ++run.log.JobsCutShort;
        return listing;
    }
    platform::FileSystem& fs = run.copy.Files.For(folder.folder);
    listing.complete = job.subfolders == 1 ? ListFilesRecursive(folderAndMask, panel,
                                                                listing.entries, &run.cancel, &fs)
                                           : ListFolderFiles(folder, listing.entries, &fs);
    if (!listing.complete && !listing.entries.empty()) {
        run.log.Failure("Source " + source + " could not be listed completely");
    } else if (!listing.complete && !run.cancel.StopRequested()) {
        run.log.Failure("Source " + source + " could not be listed");
    }
    // A listing that missed files is a failed run, even when what was found is copied.
    if (!listing.complete && !run.cancel.StopRequested()) ++run.log.JobsCutShort;
    if (job.subfolders == 1) LeaveOutNestedDestination(job, folder.folder, listing.entries);
    return listing;
}

SourceListing ListFileListSource(const RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    const std::string& source = job.source;
    // Only a path whose last component looks like a file name is a list file.
    if (LastPathComponent(source).find('.') == std::string_view::npos) return listing;
    int32_t error = 0;
    // Lines on a share are measured with the job's source logon, asked once per share. A
    // share that refuses, or cannot be asked, leaves its lines out and fails the run: those
    // files are not known to be missing.
    std::map<std::string, bool> usable;
    bool unknown = false;
    ShareLineHooks hooks;
    hooks.usable = [&](const std::string& path) {
        const auto [it, first] = usable.try_emplace(ShareRemoteName(path), true);
        if (first) {
            it->second =
                !ShareLogonRefused(run.log, run.copy, path, job.sourceUser, job.sourcePassword);
            unknown = unknown || !it->second;
        }
        return it->second;
    };
    hooks.unreachable = [&](const std::string& path, int32_t code) {
        run.log.Failure(path + " not read: " + platform::ErrorMessage(code));
        unknown = true;
    };
    listing.entries = ListFileSource(source, &error, &run.copy.Files, hooks);
    if (unknown) {
        listing.complete = false;
        ++run.log.JobsCutShort;
    }
    if (error != 0) {
        run.log.Failure("List file " + source + " not read: " + platform::ErrorMessage(error));
        listing.complete = false;
        ++run.log.JobsCutShort;
    }
    return listing;
}

void TransferToFolder(const RunContext& run, const TransferJob& job, const SourceListing& listing) {
    RunFolderTransfer(run, job, listing);
}

TransferPlan PlanToFolder(const RunContext& run, const TransferJob& job,
                          const SourceListing& listing) {
    return PlanFolderTransfer(run, job, listing);
}

}  // namespace ferrolin
