#include "engine/list_source.h"

#include "engine/transfer_kind.h"

namespace ferrolin {

SourceListing ListSource(RunContext& run, const TransferJob& job, Surfaces* panel) {
    run.Transfer = DecideTransferKind(job.SendeVerzeichnis, job.SourceType);
    // Dial-up is not available on this platform, so no source side is ever dialled and
    // the connection counts as up.
    run.SetConnected(true);
    SourceListing listing =
        TransferKindOf(static_cast<TTransfer>(run.Transfer)).list(run, job, panel);
    // The connected mark is cleared again so the driver connects the destination side.
    run.SetConnected(false);
    return listing;
}

}  // namespace ferrolin
