#pragma once
// One seam per transfer kind: how a job's source is listed and how the listed entries
// reach the destination. The run driver looks the kind up here and calls its two steps;
// a new kind adds its own files and one line of the table.
#include "common/surfaces.h"
#include "config/transfer_job.h"
#include "engine/run_context.h"
#include "engine/source_entry.h"

namespace ferrolin {

struct SourceListing {
    SourceList entries;
    // False when a folder of the source could not be read to its end or the listing
    // was cancelled: the list may lack files that exist.
    bool complete = true;
    // Files left for a later run because they are still being written: not transferred,
    // but their copies at the destination are no orphans.
    SourceList settling;

    // Every file the source listing holds, those left to settle included.
    size_t SourceFiles() const { return entries.size() + settling.size(); }
};

// Lists the job's source (panel: where the listing's progress shows; may be null).
using SourceLister = SourceListing (*)(RunContext& run, const TransferJob& job, Surfaces* panel);
// Transfers the listed entries of the job.
using EntryTransfer = void (*)(RunContext& run, const TransferJob& job,
                               const SourceListing& listing);

// Ends the work of a job whose transfer step did not run (its listing was empty after the
// filters): what the lister opened is closed.
using ListingClose = void (*)(RunContext& run);

struct TransferKind {
    SourceLister list;
    EntryTransfer transfer;
    ListingClose closeUnused = nullptr;
};

// The steps of a kind; Tran_None has the folder kind's.
const TransferKind& TransferKindOf(TTransfer kind);

}  // namespace ferrolin
