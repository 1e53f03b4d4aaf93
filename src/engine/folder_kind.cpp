#include "engine/folder_kind.h"

#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/folder_transfer.h"
#include "engine/share_logon.h"
#include "platform/path.h"

namespace ferrolin {

SourceListing ListFolderSource(RunContext& run, const TransferJob& job, Surfaces* panel) {
    SourceListing listing;
    const std::string& source = job.SendeVerzeichnis;
    const FolderAndMask folder = SplitFolderAndMask(source);
    const std::string folderAndMask = platform::JoinPath(folder.folder, folder.mask);
    if (ShareLogonRefused(run.Copy.Status, folderAndMask, job.SourceLName, job.SourceLPassword))
        return listing;
    listing.complete = job.ParsingType == 1
                           ? ListFilesRecursive(folderAndMask, true, panel, listing.entries,
                                                &run.Copy.Cancel)
                           : ListFolderFiles(folder, listing.entries);
    if (!listing.complete && !listing.entries.empty()) {
        WriteLog(0, run.LogFile, "Source " + source + " could not be listed completely");
    }
    return listing;
}

SourceListing ListFileListSource(RunContext&, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    // Only a path whose last component looks like a file name is a list file.
    if (LastPathComponent(job.SendeVerzeichnis).find('.') != std::string_view::npos)
        listing.entries = ListFileSource(job.SendeVerzeichnis);
    return listing;
}

void TransferToFolder(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    RunFolderTransfer(run, job, listing.entries, listing.complete);
}

}  // namespace ferrolin
