#include "engine/run_job.h"

#include "common/log.h"
#include "common/text.h"
#include "engine/folder_transfer.h"
#include "engine/job_guards.h"
#include "engine/list_filters.h"
#include "engine/list_source.h"
#include "files/copy_status.h"
#include "station/station.h"
#include "station/station_config.h"

namespace ferrolin {

namespace {

constexpr uint32_t kManualRunLogLimit = 2000000;
constexpr const char* kUploadMarker = "UPLOADINPROGRESS.TXT";
constexpr const char* kCaption = "Ferrolin";

void SetCaption(Station& station, const std::string& caption) {
    station.surfaces().SetCaption(caption);
}

// Clock synchronisation when due, the destination kind, and the branch for the kind.
void Transfer(Station& station, const TransferJob& job, SourceListing& listing) {
    Surfaces& surfaces = station.surfaces();
    surfaces.ProcessMessages();
    if (station.SyncTimeNow && station.SyncCheckHook) {
        surfaces.SetStatusText("Try sync time...");
        surfaces.ProcessMessages();
        surfaces.SetStatusText(station.SyncCheckHook() == 0 ? "sync time successful"
                                                            : "sync time failed");
    }
    station.SyncTimeNow = false;

    if (station.Transfer != Tran_FTPR &&
        AsciiLower(job.EmpfangsVerzeichnis).find("ftp:") != std::string::npos)
        station.Transfer = Tran_FTPS;

    switch (station.Transfer) {
        case Tran_Windows:
        case Tran_FileList:
            RunFolderTransfer(station, job, listing.entries, listing.complete);
            break;
        default:
            // FTP, HTTP and mailbox transfers are built by their own branches (not yet).
            break;
    }
    surfaces.SetStatusText("");
    surfaces.SetGauge(0, "finished");
}

}  // namespace

void SelectJob(Station& station, int n) {
    station.SelectedJob = n;
    station.surfaces().SelectJobLine(n);
}

void RunJob(Station& station, uint16_t n) {
    Surfaces& surfaces = station.surfaces();
    surfaces.SetJobListEnabled(false);
    SelectJob(station, n);
    ReadJob(station, n);
    // The settings just read, for the whole job; folders in the one form they are compared in.
    const TransferJob job = WithNormalFolders(station.Editor);
    const bool checked = n < station.Jobs.size() && station.Jobs[n].checked;
    if (checked && !JobRefused(station, n, job)) {
        SetCaption(station, std::string(kCaption) + " " + job.Name);
        SourceListing listing =
            ListSource(station, job.SendeVerzeichnis, job.ParsingType == 1, &surfaces);
        if (station.Options.UploadInProgressCheck &&
            FindEntry(kUploadMarker, &listing.entries, true) >= 0) {
            listing.entries.clear();
            WriteLog(0, station.LogFile, "Not copied because UPLOADINPROGRESS.TXT found.");
        }
        if (!listing.entries.empty()) {
            ExcludeBySuffix(job.ExcludeExtensions, listing.entries);
            ReportUnreadableListFile(station, "Compare list file", job.CLFile);
            FilterByCompareList(job.CLFile, listing.entries);
            // Dial-up is not available on this platform: nothing is dialled, and the
            // connection counts as up.
            station.SetConnected(true);
            Transfer(station, job, listing);
        }
        station.SetConnected(false);
        SetCaption(station, kCaption);
    }
    surfaces.SetJobListEnabled(true);
}

void RunAllJobsManually(Station& station, bool withMessages) {
    Surfaces& surfaces = station.surfaces();
    surfaces.SetNextStartText("working...");
    WriteLog(0, station.LogFile, "", kManualRunLogLimit);
    station.RunMode = withMessages ? RM_Interactive : RM_Unattended;
    surfaces.SetCancelVisible(true);
    station.FailedFiles = 0;
    station.JobsCutShort = 0;
    CopyCancel = 0;
    station.Abbrechen = false;
    const size_t count = station.Jobs.size();
    for (size_t n = 0; n < count && n <= UINT16_MAX; ++n) {
        if (CopyCancel.load() != 0) break;
        RunJob(station, static_cast<uint16_t>(n));
    }
    if (withMessages && station.AfterManualRunHook) station.AfterManualRunHook();
    SelectJob(station, -1);
    surfaces.SetNextStartText("finished");
    surfaces.SetCancelVisible(false);
    station.RunMode = RM_Idle;
}

void CancelRun(Station& station) {
    station.Options.Auto = false;
    CopyCancel = -1;
    station.Abbrechen = true;
    if ((station.Transfer == Tran_FTPS || station.Transfer == Tran_FTPR) && station.AbortFtpHook)
        station.AbortFtpHook();
}

}  // namespace ferrolin
