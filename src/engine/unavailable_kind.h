#pragma once
// The steps of a transfer kind this build cannot do: the job lists and transfers nothing,
// says "<kind> transfers are not available in this build" in the log and the Errors
// list, and counts as cut short, so no face reports it as a success.
#include "engine/transfer_kinds.h"

namespace ferrolin {

SourceListing ListUnavailableSource(RunContext& run, const TransferJob& job, Surfaces* panel);
void TransferUnavailable(RunContext& run, const TransferJob& job, const SourceListing& listing);

}  // namespace ferrolin
