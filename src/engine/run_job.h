#pragma once
// One job's transfer, from listing its source to tidying up: the source listed by its
// kind, the upload marker, the filters, the clock synchronisation when due, and the
// entries handed to the kind's transfer. On the user-interface thread; the face keeps
// itself alive through Surfaces::ProcessMessages, which the run calls between files and
// inside every wait.
#include "config/transfer_job.h"
#include "engine/run_context.h"

namespace ferrolin {

// Runs the job's transfer. Outcomes go to the log, the surfaces, run.FailedFiles and
// run.JobsCutShort, and the copier's cancel token.
void RunTransferJob(RunContext& run, const TransferJob& job);

}  // namespace ferrolin
