#include "engine/list_source.h"

#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/job_guards.h"
#include "files/copy_status.h"
#include "platform/errors.h"
#include "engine/transfer_kind.h"
#include "engine/share_logon.h"
#include "platform/path.h"
#include "station/station.h"

namespace ferrolin {

namespace {

SourceListing ListFolderSource(Station& station, const std::string& source, bool recursive,
                               Surfaces* panel) {
    SourceListing listing;
    const FolderAndMask folder = SplitFolderAndMask(source);
    const std::string folderAndMask = platform::JoinPath(folder.folder, folder.mask);
    const TransferJob& job = station.Editor;
    if (ShareLogonRefused(folderAndMask, job.SourceLName, job.SourceLPassword)) return listing;
    listing.complete = recursive ? ListFilesRecursive(folderAndMask, true, panel, listing.entries)
                                 : ListFolderFiles(folder, listing.entries);
    if (!listing.complete && !listing.entries.empty()) {
        WriteLog(0, station.LogFile, "Source " + source + " could not be listed completely");
    } else if (!listing.complete && CopyCancel.load() == 0) {
        WriteLog(0, station.LogFile, "Source " + source + " could not be listed");
    }
    // A listing that missed files is a failed run, even when what was found is copied.
    if (!listing.complete && CopyCancel.load() == 0) ++station.JobsCutShort;
    if (recursive) LeaveOutNestedDestination(WithNormalFolders(job), folder.folder, listing.entries);
    return listing;
}

}  // namespace

SourceListing ListSource(Station& station, const std::string& source, bool recursive,
                         Surfaces* panel) {
    station.Transfer = DecideTransferKind(source, station.Editor.SourceType);
    // Dial-up is not available on this platform, so no source side is ever dialled and
    // the connection counts as up.
    station.SetConnected(true);
    SourceListing listing;
    switch (station.Transfer) {
        case Tran_Windows:
            listing = ListFolderSource(station, source, recursive, panel);
            break;
        case Tran_FileList:
            // Only a path whose last component looks like a file name is a list file.
            if (LastPathComponent(source).find('.') != std::string_view::npos) {
                int32_t error = 0;
                listing.entries = ListFileSource(source, &error);
                if (error != 0) {
                    WriteLog(0, station.LogFile,
                             "List file " + source + " not read: " + platform::ErrorMessage(error));
                    listing.complete = false;
                    ++station.JobsCutShort;
                }
            }
            break;
        default:
            // FTP, HTTP and mailbox sources are listed by their own branches (not built yet).
            break;
    }
    // The connected mark is cleared again so the driver connects the destination side.
    station.SetConnected(false);
    return listing;
}

}  // namespace ferrolin
