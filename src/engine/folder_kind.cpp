#include "engine/folder_kind.h"

#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/folder_transfer.h"
#include "engine/job_guards.h"
#include "engine/share_logon.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin {

SourceListing ListFolderSource(RunContext& run, const TransferJob& job, Surfaces* panel) {
    SourceListing listing;
    const std::string& source = job.SendeVerzeichnis;
    const FolderAndMask folder = SplitFolderAndMask(source);
    const std::string folderAndMask = platform::JoinPath(folder.folder, folder.mask);
    if (ShareLogonRefused(run, folderAndMask, job.SourceLName, job.SourceLPassword)) {
        // Nothing was listed, which says nothing about what the source holds: the
        // mirror step must not take it for an empty folder.
        listing.complete = false;
        ++run.JobsCutShort;
        return listing;
    }
    platform::FileSystem& fs = run.Copy.Files.For(folder.folder);
    listing.complete =
        job.ParsingType == 1
            ? ListFilesRecursive(folderAndMask, panel, listing.entries, &run.Copy.Cancel, &fs)
            : ListFolderFiles(folder, listing.entries, &fs);
    if (!listing.complete && !listing.entries.empty()) {
        WriteLog(0, run.LogFile, "Source " + source + " could not be listed completely");
    } else if (!listing.complete && !run.Copy.Cancel.StopRequested()) {
        WriteLog(0, run.LogFile, "Source " + source + " could not be listed");
    }
    // A listing that missed files is a failed run, even when what was found is copied.
    if (!listing.complete && !run.Copy.Cancel.StopRequested()) ++run.JobsCutShort;
    if (job.ParsingType == 1) LeaveOutNestedDestination(job, folder.folder, listing.entries);
    return listing;
}

SourceListing ListFileListSource(RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    const std::string& source = job.SendeVerzeichnis;
    // Only a path whose last component looks like a file name is a list file.
    if (LastPathComponent(source).find('.') == std::string_view::npos) return listing;
    int32_t error = 0;
    listing.entries = ListFileSource(source, &error, &run.Copy.Files);
    if (error != 0) {
        WriteLog(0, run.LogFile, "List file " + source + " not read: " + platform::ErrorMessage(error));
        listing.complete = false;
        ++run.JobsCutShort;
    }
    return listing;
}

void TransferToFolder(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    RunFolderTransfer(run, job, listing.entries, listing.complete);
}

}  // namespace ferrolin
