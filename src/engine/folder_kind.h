#pragma once
// The folder and list-file kinds: a folder (with its mask, optionally with its
// subfolders) or the files a list file names, copied into a destination folder.
#include "engine/transfer_kinds.h"

namespace ferrolin {

// The source folder's files; with "Include Sub Directories" those below it too. A share
// that refuses the job's logon lists nothing.
SourceListing ListFolderSource(const RunContext& run, const TransferJob& job, Surfaces* panel);
// The files the list file names; a source that does not look like a file name lists
// nothing.
SourceListing ListFileListSource(const RunContext& run, const TransferJob& job, Surfaces* panel);
// The copy loop into the destination folder, with the mirror step.
void TransferToFolder(const RunContext& run, const TransferJob& job, const SourceListing& listing);
// What that loop and its mirror step would do.
TransferPlan PlanToFolder(const RunContext& run, const TransferJob& job,
                          const SourceListing& listing);

}  // namespace ferrolin
