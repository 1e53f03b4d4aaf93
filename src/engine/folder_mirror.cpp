#include "engine/folder_mirror.h"

#include "common/log.h"
#include "engine/delayed_delete.h"
#include "engine/folder_listing.h"
#include "engine/guarded_delete.h"
#include "engine/list_filters.h"
#include "engine/mirror_compare.h"
#include "engine/run_context.h"
#include "engine/share_logon.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

constexpr char kSep = platform::kPathSeparator;

std::string_view WithoutTrailingSeparators(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == kSep) folder.remove_suffix(1);
    return folder;
}

}  // namespace

std::string PathBelow(std::string_view path, std::string_view folder) {
    folder = WithoutTrailingSeparators(folder);
    if (folder.empty()) return {};
    const size_t prefix = folder == "/" ? 1 : folder.size() + 1;
    if (path.size() <= prefix || path.compare(0, folder.size(), folder) != 0 ||
        path[prefix - 1] != kSep)
        return {};
    return std::string(path.substr(prefix));
}

namespace {

// The destination files (paths below destFolder) that have no counterpart in the source,
// with check's destination figures filled in; nothing when the destination's share
// refuses the logon. The logon uses the source's credentials: the copy loop has already
// connected the destination with its own.
std::optional<std::vector<std::string>> FolderOrphans(const RunContext& run, const TransferJob& job,
                                                      const std::string& destFolder,
                                                      const std::string& sourceFolder,
                                                      const std::vector<std::string>& counterparts,
                                                      MirrorCheck& check) {
    if (ShareLogonRefused(run.log, run.copy, destFolder, job.sourceUser, job.sourcePassword))
        return std::nullopt;
    // The destination is a folder whatever its name looks like, listed with all its
    // subfolders.
    SourceList destination;
    ListFilesRecursive(destFolder + kSep + "*.*", &run.face, destination, &run.cancel,
                       &run.copy.Files.For(destFolder));
    ExcludeBySuffix(job.excludeExtensions, destination);

    // Destination entries as paths below the destination folder. A listing that was
    // incomplete only means fewer deletions.
    std::vector<std::string> orphans;
    orphans.reserve(destination.size());
    for (const SourceEntry& entry : destination) {
        const std::string& path = entry.name;
        if (!sourceFolder.empty() && !PathBelow(path, sourceFolder).empty()) continue;
        std::string below = PathBelow(path, destFolder);
        if (!below.empty()) orphans.push_back(std::move(below));
    }
    check.destinationFiles = orphans.size();
    // Local names differ by letter case on this file system: report.txt never protects
    // REPORT.txt, and never leaves report.txt itself to be deleted.
    RemoveCommonExactCase(counterparts, orphans, &run.face);
    check.deletions = orphans.size();
    return orphans;
}

}  // namespace

SkipReason SkipReasonFor(MirrorVerdict verdict) {
    switch (verdict) {
        case MirrorVerdict::SourceIncomplete:
            return SkipReason::SourceIncomplete;
        case MirrorVerdict::SourceEmpty:
            return SkipReason::SourceEmpty;
        case MirrorVerdict::TooMany:
            return SkipReason::TooManyDeletions;
        case MirrorVerdict::LimitUnreadable:
            return SkipReason::LimitUnreadable;
        case MirrorVerdict::Delete:
            break;
    }
    return SkipReason::None;
}

void MirrorFolderDestination(const RunContext& run, const TransferJob& job,
                             const std::string& sourceFolder,
                             const std::vector<std::string>& counterparts, MirrorCheck check) {
    const std::string destFolder(WithoutTrailingSeparators(job.destination));
    if (destFolder.empty()) return;
    // The step is decided first, as a dry run decides it, and then carried out.
    const TransferPlan plan = PlanFolderMirror(run, job, sourceFolder, counterparts, check, 0);
    std::vector<std::string> postponed;
    for (const PlanAction& action : plan.actions)
        if (action.verb == PlanVerb::DelayDelete)
            postponed.push_back(PathBelow(action.path, destFolder));
    if (!postponed.empty()) {
        PostponeDeletions(run.log, run.clock, destFolder, postponed);
        return;
    }
    for (const PlanAction& action : plan.actions) {
        if (action.verb != PlanVerb::Delete) continue;
        if (run.cancel.StopRequested()) break;
        DeleteBelowAndLog(run.log, run.copy.Files, destFolder, action.path);
        run.face.ProcessMessages();
    }
}

TransferPlan PlanFolderMirror(const RunContext& run, const TransferJob& job,
                              const std::string& sourceFolder,
                              const std::vector<std::string>& counterparts, MirrorCheck check,
                              size_t newCopies) {
    TransferPlan plan;
    const std::string destFolder(WithoutTrailingSeparators(job.destination));
    if (destFolder.empty()) return plan;
    check.side = MirrorSide::LocalDestination;
    if (!check.sourceComplete) {
        MirrorDeletionsAllowed(run.log, job, check);
        plan.AddSkip(SkipReason::SourceIncomplete, destFolder);
        return plan;
    }
    const std::optional<std::vector<std::string>> orphans =
        FolderOrphans(run, job, destFolder, sourceFolder, counterparts, check);
    if (!orphans) return plan;  // the refused logon is counted where it is logged
    check.destinationFiles += newCopies;
    if (!MirrorDeletionsAllowed(run.log, job, check)) {
        plan.AddSkip(SkipReasonFor(JudgeMirrorDeletions(job, check)), destFolder);
        return plan;
    }
    const std::optional<long> days = ParseDelayDays(job.deleteDelay);
    if (!job.deleteDelay.empty() && !days) {
        run.log.Write("Delete delay \"" + job.deleteDelay + "\" is not a number; nothing deleted");
        plan.AddSkip(SkipReason::DelayUnreadable, destFolder);
        return plan;
    }
    if (days && *days > 0)
        return PlanPostponedDeletions(run.log, run.clock, destFolder, *orphans, *days);
    for (const std::string& orphan : *orphans)
        plan.Add(PlanVerb::Delete, destFolder + kSep + orphan);
    return plan;
}

}  // namespace ferrolin
