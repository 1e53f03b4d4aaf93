#pragma once
// One job's transfer, from listing its source to tidying up: the job's line connected (and
// dialled where the job dials) for each side, the source listed by its kind, the upload
// marker, the filters, the station's step before the transfer, and the entries handed to
// the kind's transfer. On the user-interface thread; the face keeps itself alive through
// Surfaces::ProcessMessages, which the run calls between files and inside every wait.
#include <functional>

#include "config/transfer_job.h"
#include "engine/job_line.h"
#include "engine/run_context.h"
#include "engine/transfer_kinds.h"
#include "engine/transfer_plan.h"

namespace ferrolin {

// Runs the job's transfer as kind (ChooseTransferKind(job)). beforeTransfer runs once the
// destination side is connected, just before the entries go (may be empty). Outcomes go to
// the log and its counters, the face, and the cancel token.
void RunTransferJob(const RunContext& run, JobLine& line, const TransferKind& kind,
                    const TransferJob& job, const std::function<void()>& beforeTransfer);

// What RunTransferJob would do, decided without doing it: the source listed by its kind
// (never over a dial-up line, which is not dialled), the upload marker and the filters
// applied, and the kind's planner asked. The run's log and counters see what a real run
// would log and count; a failure a real run would count is in the plan's failures. The
// session the lister opened is closed again.
TransferPlan PlanTransferJob(const RunContext& run, JobLine& line, const TransferKind& kind,
                             const TransferJob& job);

}  // namespace ferrolin
