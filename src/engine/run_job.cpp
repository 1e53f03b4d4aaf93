#include "engine/run_job.h"

#include <optional>

#include "engine/job_guards.h"
#include "engine/list_filters.h"
#include "engine/settle_filter.h"

namespace ferrolin {

namespace {

constexpr const char* kUploadMarker = "UPLOADINPROGRESS.TXT";
constexpr const char* kCaption = "Ferrolin";

// Connects the source side (dialling the job's line when it dials for its source) while
// the kind's lister runs. A source that cannot be listed gives an empty list.
SourceListing ListSource(const RunContext& run, JobLine& line, const TransferKind& kind,
                         const TransferJob& job) {
    const bool sourceDial = job.dialUpFor == 1 && line.DialUpChosen();
    if (sourceDial && !line.Connected) {
        line.DialJobLine(job.dialUpEntry, run.log);
    } else {
        line.SetConnected(true);
    }
    SourceListing listing;
    if (line.Connected) {
        listing = kind.source->list(run, job, &run.face);
    } else {
        listing.complete = false;  // nothing was asked of a source the line never reached
    }
    // A source-side line stays up for the transfer; otherwise the connected mark is
    // cleared so the destination side is connected for the transfer.
    if (!sourceDial) line.SetConnected(false);
    return listing;
}

// The listed entries the job's filters keep; files still being written are held back.
void FilterEntries(const RunContext& run, const TransferJob& job, SourceListing& listing) {
    ExcludeBySuffix(job.excludeExtensions, listing.entries);
    ReportUnreadableListFile(run.log, "Compare list file", job.compareListFile);
    FilterByCompareList(job.compareListFile, listing.entries);
    HoldUnsettled(run, job, listing);
}

}  // namespace

void RunTransferJob(const RunContext& run, JobLine& line, const TransferKind& kind,
                    const TransferJob& job, const std::function<void()>& beforeTransfer) {
    Surfaces& surfaces = run.face;
    surfaces.SetCaption(std::string(kCaption) + " " + job.name);
    SourceListing listing = ListSource(run, line, kind, job);
    bool uploading = false;
    if (run.options.uploadInProgressCheck && AnyNameContains(listing.entries, kUploadMarker)) {
        listing.entries.clear();
        uploading = true;
        run.log.Write("Not copied because UPLOADINPROGRESS.TXT found.");
    }
    // A mirror has work with an empty source too: its deletion guard looks at the
    // destination and decides.
    const bool mirror = job.copyMode == CM_SourceIsMaster;
    if (!listing.entries.empty() || (mirror && listing.complete && !uploading)) {
        FilterEntries(run, job, listing);
        if (line.DialUpChosen() && !line.Connected) {
            line.DialJobLine(job.dialUpEntry, run.log);
        } else {
            line.SetConnected(true);
        }
        if (line.Connected) {
            surfaces.ProcessMessages();
            if (beforeTransfer) beforeTransfer();
            kind.Transfer()(run, job, listing);
            surfaces.SetStatusText("");
            surfaces.SetGauge(0, "finished");
            if (line.DialUpChosen()) line.Ras.HangUp();
        }
    } else {
        if (job.dialUpFor == 1 && line.DialUpChosen() && line.Connected)
            line.Ras.HangUp();  // nothing to transfer over the source's line
        // What the lister opened (the FTP session, unless it is kept open) is closed.
        if (kind.source->closeUnused != nullptr) kind.source->closeUnused(run);
    }
    line.SetConnected(false);
    surfaces.SetCaption(kCaption);
}

namespace {

// The listed entries a planner gets: as the transfer gets them, or none (with the skip
// line saying why).
std::optional<SourceListing> ListForPlan(const RunContext& run, const TransferKind& kind,
                                         const TransferJob& job, TransferPlan& plan) {
    SourceListing listing = kind.source->list(run, job, nullptr);
    if (run.options.uploadInProgressCheck && AnyNameContains(listing.entries, kUploadMarker)) {
        run.log.Write("Not copied because UPLOADINPROGRESS.TXT found.");
        plan.AddSkip(SkipReason::UploadInProgress, job.source);
        return std::nullopt;
    }
    const bool mirror = job.copyMode == CM_SourceIsMaster;
    if (listing.entries.empty() && !(mirror && listing.complete)) return std::nullopt;
    FilterEntries(run, job, listing);
    return listing;
}

}  // namespace

TransferPlan PlanTransferJob(const RunContext& run, JobLine& line, const TransferKind& kind,
                             const TransferJob& job) {
    TransferPlan plan;
    if (line.DialUpChosen()) {
        plan.AddSkip(SkipReason::DialUp, job.dialUpEntry);
        return plan;
    }
    const TransferPlanner planner = kind.Planner();
    if (planner == nullptr) {
        plan.AddSkip(SkipReason::NoPlanner, job.source);
        return plan;
    }
    const uint32_t failedBefore = run.log.FailedFiles;
    const uint32_t cutBefore = run.log.JobsCutShort;
    run.log.Tally = JobTally{};
    const std::optional<SourceListing> listing = ListForPlan(run, kind, job, plan);
    if (listing) plan.Append(planner(run, job, *listing));
    if (kind.source->closeUnused != nullptr) kind.source->closeUnused(run);
    if (run.log.FailedFiles != failedBefore || run.log.JobsCutShort != cutBefore) {
        const std::string& first = run.log.Tally.firstError;
        plan.failures.push_back(first.empty() ? "the job would fail" : first);
    }
    return plan;
}

}  // namespace ferrolin
