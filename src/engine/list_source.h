#pragma once
// Listing a job's source: the transfer kind, the source-side connection, and the list
// of entries from the kind's lister.
#include "engine/transfer_kinds.h"

namespace ferrolin {

// Decides run.Transfer from the job's source text and SourceType, sets the connected
// mark while the kind's lister runs, and returns its listing. A source that cannot be
// listed gives an empty list.
SourceListing ListSource(RunContext& run, const TransferJob& job, Surfaces* panel);

}  // namespace ferrolin
