#include "engine/run_job.h"

#include "common/log.h"
#include "common/text.h"
#include "engine/job_guards.h"
#include "engine/list_filters.h"
#include "engine/list_source.h"
#include "protocols/ftp_scheme.h"
#include "engine/settle_filter.h"

namespace ferrolin {

namespace {

constexpr const char* kUploadMarker = "UPLOADINPROGRESS.TXT";
constexpr const char* kCaption = "Ferrolin";

// Clock synchronisation when due, the destination kind, and the kind's transfer.
void Transfer(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    Surfaces& surfaces = run.surfaces();
    surfaces.ProcessMessages();
    if (run.SyncTimeNow && run.SyncCheckHook) {
        surfaces.SetStatusText("Try sync time...");
        surfaces.ProcessMessages();
        surfaces.SetStatusText(run.SyncCheckHook() == 0 ? "sync time successful"
                                                        : "sync time failed");
    }
    run.SyncTimeNow = false;

    if (run.Transfer != Tran_FTPR && NamesFtpServer(job.destination))
        run.Transfer = Tran_FTPS;

    TransferKindOf(static_cast<TTransfer>(run.Transfer)).transfer(run, job, listing);
    surfaces.SetStatusText("");
    surfaces.SetGauge(0, "finished");
}

}  // namespace

void RunTransferJob(RunContext& run, const TransferJob& job) {
    Surfaces& surfaces = run.surfaces();
    surfaces.SetCaption(std::string(kCaption) + " " + job.name);
    SourceListing listing = ListSource(run, job, &surfaces);
    bool uploading = false;
    if (run.Options.uploadInProgressCheck && AnyNameContains(listing.entries, kUploadMarker)) {
        listing.entries.clear();
        uploading = true;
        WriteLog(0, run.LogFile, "Not copied because UPLOADINPROGRESS.TXT found.");
    }
    // A mirror has work with an empty source too: its deletion guard looks at the
    // destination and decides.
    const bool mirror = job.copyMode == CM_SourceIsMaster;
    if (!listing.entries.empty() || (mirror && listing.complete && !uploading)) {
        ExcludeBySuffix(job.excludeExtensions, listing.entries);
        ReportUnreadableListFile(run, "Compare list file", job.compareListFile);
        FilterByCompareList(job.compareListFile, listing.entries);
        HoldUnsettled(run, job, listing);
        if (run.DialUpChosen() && !run.Connected) {
            run.DialJobLine(job.dialUpEntry);
        } else {
            run.SetConnected(true);
        }
        if (run.Connected) {
            Transfer(run, job, listing);
            if (run.DialUpChosen()) run.Ras.HangUp();
        }
    } else {
        if (job.dialUpFor == 1 && run.DialUpChosen() && run.Connected)
            run.Ras.HangUp();  // nothing to transfer over the source's line
        // What the lister opened (the FTP session, unless it is kept open) is closed.
        if (const ListingClose close =
                TransferKindOf(static_cast<TTransfer>(run.Transfer)).closeUnused)
            close(run);
    }
    run.SetConnected(false);
    surfaces.SetCaption(kCaption);
}

}  // namespace ferrolin
