#pragma once
// "Source is master" for a folder destination: after the copy loop, destination files
// without a counterpart in the source are deleted at once or, with a delete delay,
// noted in DelayDelete.txt for a later run.
#include <string>
#include <string_view>
#include <vector>

#include "config/transfer_job.h"
#include "engine/guarded_delete.h"
#include "engine/transfer_plan.h"

namespace ferrolin {

struct RunContext;

// The path of a file below folder ("sub/a.txt" for "/dst/sub/a.txt" below "/dst");
// empty when the file does not lie below folder. Trailing separators of folder are
// ignored.
std::string PathBelow(std::string_view path, std::string_view folder);

// counterparts: for each source file, its destination path relative to the destination
// folder, as the copy loop built it. Lists the destination folder with all its
// subfolders, drops excluded suffixes, and deletes or postpones what has no counterpart,
// when the deletion guard allows it (check: the source as listed). Files inside
// sourceFolder are never touched, should the destination enclose it.
void MirrorFolderDestination(const RunContext& run, const TransferJob& job,
                             const std::string& sourceFolder,
                             const std::vector<std::string>& counterparts, MirrorCheck check);

// The same step decided and not taken: the deletions, postponements and the guard's
// refusal (logged and counted as the step would) it would come to. Nothing is deleted
// and DelayDelete.txt is only read. newCopies: the files the planned copy loop would add
// to the destination, which the step would find there.
TransferPlan PlanFolderMirror(const RunContext& run, const TransferJob& job,
                              const std::string& sourceFolder,
                              const std::vector<std::string>& counterparts, MirrorCheck check,
                              size_t newCopies);

// The skip reason a refusal of the deletion guard shows as.
SkipReason SkipReasonFor(MirrorVerdict verdict);

}  // namespace ferrolin
