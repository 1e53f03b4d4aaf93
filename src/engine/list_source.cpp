#include "engine/list_source.h"

#include "engine/transfer_kind.h"

namespace ferrolin {

SourceListing ListSource(RunContext& run, const TransferJob& job, Surfaces* panel) {
    run.Transfer = DecideTransferKind(job.source, job.sourceType);
    const bool sourceDial = job.dialUpFor == 1 && run.DialUpChosen();
    if (sourceDial && !run.Connected) {
        run.DialJobLine(job.dialUpEntry);
    } else {
        run.SetConnected(true);
    }
    SourceListing listing;
    if (run.Connected) {
        listing = TransferKindOf(static_cast<TTransfer>(run.Transfer)).list(run, job, panel);
    } else {
        listing.complete = false;  // nothing was asked of a source the line never reached
    }
    // A source-side line stays up for the transfer; otherwise the connected mark is
    // cleared so the driver connects the destination side.
    if (!sourceDial) run.SetConnected(false);
    return listing;
}

}  // namespace ferrolin
