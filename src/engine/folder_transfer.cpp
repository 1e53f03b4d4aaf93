#include "engine/folder_transfer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "common/log.h"
#include "common/text.h"
#include "engine/copy_decision.h"
#include "engine/delayed_delete.h"
#include "engine/folder_mirror.h"
#include "engine/guarded_delete.h"
#include "engine/job_guards.h"
#include "engine/program_files.h"
#include "engine/run_context.h"
#include "engine/run_texts.h"
#include "engine/share_logon.h"
#include "files/file_copy.h"
#include "files/recent_average.h"
#include "platform/local_file_system.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

constexpr size_t kMaxRateSamples = 10;

void AddRateSample(const CopyStatus& status, RecentAverage& samples) {
    const int32_t rate = status.BytesPerSecond.load();
    if (rate > 0) samples.Add(rate);
}

// The free space of the destination for the progress line, asked at most a few times a
// second: it moves slowly, and asking for every small file would cost a system call each.
class FreeSpace {
  public:
    FreeSpace(platform::FileSystem& fs, std::string folder) : fs_(fs), folder_(std::move(folder)) {}
    int64_t Bytes() {
        const auto now = std::chrono::steady_clock::now();
        if (!asked_ || now - askedAt_ >= kInterval) {
            bytes_ = fs_.FreeBytes(folder_);
            askedAt_ = now;
            asked_ = true;
        }
        return bytes_;
    }

  private:
    static constexpr std::chrono::milliseconds kInterval{200};
    platform::FileSystem& fs_;
    std::string folder_;
    bool asked_ = false;
    std::chrono::steady_clock::time_point askedAt_;
    int64_t bytes_ = -1;
};

uint32_t JobByteRate(const RunContext& run, const TransferJob& job) {
    const std::optional<uint32_t> rate = MaxBytesPerSecondFrom(job.maxByteRate);
    if (rate) return *rate;
    run.log.Write("Byte rate \"" + job.maxByteRate + "\" is not a number; copying without a limit");
    return 0;
}

}  // namespace

std::string MirroredFolderBelow(const std::string& sourceFile, const std::string& sourceRoot) {
    const std::string sourceFolder = DirectoryPart(sourceFile, true);
    const std::string root = DirectoryPart(sourceRoot, false);
    std::string below;
    if (!root.empty() && sourceFolder != root) {
        below = PathBelow(sourceFolder, root);
        // A file outside the source folder (a list-file source) keeps its whole folder path.
        if (below.empty()) {
            const size_t start = sourceFolder.find_first_not_of(platform::kPathSeparator);
            if (start != std::string::npos) below = sourceFolder.substr(start);
        }
    }
    return below;
}

std::string MirroredFolder(const std::string& destRoot, const std::string& sourceFile,
                           const std::string& sourceRoot, std::string* knownFolder,
                           platform::FileSystem* fs) {
    const std::string below = MirroredFolderBelow(sourceFile, sourceRoot);
    const std::string folder = below.empty() ? destRoot : platform::JoinPath(destRoot, below);
    if (knownFolder != nullptr && *knownFolder == folder) return folder;
    // A folder that cannot be made shows up as the copy's failure. Subfolders are made and
    // entered level by level without following links: a link standing where a subfolder
    // belongs is replaced by a real folder, so no copy lands where the link points.
    platform::LocalFileSystem local;
    platform::FileSystem& files = fs != nullptr ? *fs : local;
    if (!files.FolderExists(destRoot)) files.CreateFolders(destRoot);
    if (!below.empty()) files.CreateFoldersBelow(destRoot, below);
    if (knownFolder != nullptr) *knownFolder = folder;
    return folder;
}

std::string DestinationFor(const TransferJob& job, const std::string& sourcePath,
                           std::string* knownFolder, platform::FileSystem* fs) {
    if (job.destination.empty()) return {};
    const std::string name(LastPathComponent(sourcePath));
    if (job.subfolders == 1) {
        return platform::JoinPath(
            MirroredFolder(job.destination, sourcePath, job.source, knownFolder, fs), name);
    }
    return platform::JoinPath(job.destination, name);
}

std::string CounterpartBelow(const TransferJob& job, const std::string& sourcePath) {
    const std::string name(LastPathComponent(sourcePath));
    if (job.subfolders != 1) return name;
    const std::string below = MirroredFolderBelow(sourcePath, job.source);
    return below.empty() ? name : platform::JoinPath(below, name);
}

namespace {

// What the copy loop did: how many listed files it went through and their bytes, and
// each one's path below the destination folder, as the mirror step compares them.
struct LoopResult {
    size_t handled = 0;
    int64_t copiedBytes = 0;
    std::vector<std::string> counterparts;
};

void ShowProgress(const RunContext& run, const SourceList& list, size_t i, const LoopResult& done,
                  int64_t totalBytes, RecentAverage& samples, FreeSpace& freeSpace) {
    AddRateSample(run.copy.Status, samples);
    ProgressFigures figures;
    figures.fileNumber = i + 1;
    figures.fileCount = list.size();
    figures.copiedBytes = done.copiedBytes;
    figures.totalBytes = totalBytes;
    figures.averageRate = samples.Average();
    figures.freeBytes = freeSpace.Bytes();
    run.face.SetStatusText(ProgressLine(figures));
}

// The destination's share is logged on to before its folders are made or measured; a
// refusal stops this job's loop, and a manual run's remaining jobs.
bool DestinationRefused(const RunContext& run, const TransferJob& job) {
    if (job.destination.empty() || !ShareLogonRefused(run.log, run.copy, job.destination,
                                                      job.destinationUser, job.destinationPassword))
        return false;
    run.cancel.Stop();
    ++run.log.JobsCutShort;
    return true;
}

LoopResult CopyListedFiles(const RunContext& run, const TransferJob& job, const SourceList& list) {
    const uint32_t maxBytesPerSecond = JobByteRate(run, job);
    RecentAverage samples(kMaxRateSamples);
    const int64_t totalBytes = TotalEntrySize(list);
    run.copy.Status.BytesPerSecond = 0;
    LoopResult done;
    done.counterparts.reserve(list.size());
    platform::FileSystem& destFs = run.copy.Files.For(job.destination);
    FreeSpace freeSpace(destFs, job.destination);
    std::string knownFolder;
    size_t& i = done.handled;
    for (; i < list.size() && !run.cancel.StopRequested(); ++i) {
        const std::string& source = list[i].name;
        if (SourceLeavesDestination(run.log, job, source)) continue;
        const bool refused = DestinationRefused(run, job);
        const std::string destination =
            refused ? std::string() : DestinationFor(job, source, &knownFolder, &destFs);
        if (!destination.empty())
            done.counterparts.push_back(PathBelow(destination, job.destination));
        ShowProgress(run, list, i, done, totalBytes, samples, freeSpace);
        done.copiedBytes += list[i].size;
        if (!refused) TransferOneFile(run, job, list[i], destination, maxBytesPerSecond);
        run.face.ProcessMessages();
    }
    if (i > 1 && i < list.size()) {
        run.log.Write("Copy process aborted ");
        --i;
        done.copiedBytes -= list[i].size;
    }
    return done;
}

void LogEndStatistic(const RunContext& run, const LoopResult& done, TDateTime start) {
    if (!run.options.logEndStatistic) return;
    const double seconds = (run.clock.Now() - start) * 86400.0;
    if (seconds <= 0) return;
    const auto rate = static_cast<int64_t>(std::llround(done.copiedBytes / seconds));
    run.log.Write("Total copied files: " + std::to_string(done.handled) + " size: " +
                  FormatByteSize(done.copiedBytes) + " speed: " + FormatByteSize(rate) + "/s)");
}

// The mirror step's check once the loop is through, with the counterparts of the files
// left to settle added (they keep their older copies). Nothing when the source folder is
// gone: listed, then gone (an unmounted disk, a lost share), files whose copies matched
// their listing count as in place, but the job did not see its source to the end.
std::optional<MirrorCheck> MirrorStepCheck(const RunContext& run, const TransferJob& job,
                                           const SourceListing& listing,
                                           std::vector<std::string>& counterparts) {
    const std::string sourceFolder = DirectoryPart(job.source, false);
    if (!run.copy.Files.For(sourceFolder).FolderExists(sourceFolder)) {
        if (listing.complete) {
            run.log.Write("Source " + job.source +
                          " disappeared during the run; nothing removed at the destination");
            ++run.log.JobsCutShort;
        }
        return std::nullopt;
    }
    for (const SourceEntry& entry : listing.settling)
        counterparts.push_back(CounterpartBelow(job, entry.name));
    MirrorCheck check;
    check.source = job.source;
    check.sourceComplete = listing.complete;
    check.sourceFiles = listing.SourceFiles();
    return check;
}

// Where a listed file's copy lies, as the copy loop would place it, made nowhere.
std::string PlannedDestination(const TransferJob& job, const std::string& source) {
    if (job.destination.empty()) return {};
    return platform::JoinPath(job.destination, CounterpartBelow(job, source));
}

// What the copier would make of one file: a copy where the destination lacks it, same
// where it keeps the destination, an update otherwise.
PlanVerb PlannedCopy(const RunContext& run, const TransferJob& job, const SourceEntry& listed,
                     const std::string& destination) {
    if (job.copyMode == CM_ShortCutsOnly) return PlanVerb::Copy;
    const std::optional<platform::FileInfo> dest =
        run.copy.Files.For(destination).Stat(destination);
    if (!dest) return PlanVerb::Copy;
    std::optional<platform::FileInfo> source;
    if (listed.kind == EntryKind::LocalFile && listed.modified != 0 && !job.deleteSource) {
        source.emplace();
        source->Size = listed.size;
        source->LastWriteTime = listed.modified;
    } else {
        source = run.copy.Files.For(listed.name).Stat(listed.name);
    }
    if (!dest->Regular || !source) return PlanVerb::Update;
    const int32_t flags = ChooseCopyFlags(job, RM_Unattended, false, run.options.copyOpenFiles,
                                          run.options.durableCopies);
    return DestinationIsSame(flags, source->Size, source->LastWriteTime, dest->Size,
                             dest->LastWriteTime)
               ? PlanVerb::Same
               : PlanVerb::Update;
}

// The actions for one listed file: its copy, and the deletion of its source after it.
void PlanOneFile(const RunContext& run, const TransferJob& job, const SourceEntry& listed,
                 const std::string& destination, TransferPlan& plan) {
    const std::string& source = listed.name;
    if (destination.empty()) {
        plan.AddSkip(SkipReason::NoDestination, source);
        return;
    }
    if (ProgramFileRefused(run.log, destination)) {
        plan.AddSkip(SkipReason::ProgramFile, destination);
        return;
    }
    if (RefusedAsCorrupt(run, source)) {
        plan.AddSkip(SkipReason::Corrupt, source);
        return;
    }
    plan.Add(PlannedCopy(run, job, listed, destination), source, destination);
    if (job.deleteSource && job.copyMode != CM_ShortCutsOnly &&
        !SourceIsDestination(run.log, job, source, destination))
        plan.Add(PlanVerb::Delete, source);
}

}  // namespace

void RunFolderTransfer(const RunContext& run, const TransferJob& job,
                       const SourceListing& listing) {
    if (job.copyMode == CM_SourceIsMaster) ProcessDelayedDeletes(run, job);
    const TDateTime start = run.clock.Now();
    LoopResult done = CopyListedFiles(run, job, listing.entries);
    LogEndStatistic(run, done, start);
    if (run.cancel.StopRequested() || job.copyMode != CM_SourceIsMaster) return;
    const std::optional<MirrorCheck> check = MirrorStepCheck(run, job, listing, done.counterparts);
    if (check)
        MirrorFolderDestination(run, job, DirectoryPart(job.source, false), done.counterparts,
                                *check);
}

TransferPlan PlanFolderTransfer(const RunContext& run, const TransferJob& job,
                                const SourceListing& listing) {
    TransferPlan plan;
    const bool mirror = job.copyMode == CM_SourceIsMaster;
    if (mirror) plan = PlanDelayedDeletes(run, job);
    std::vector<std::string> counterparts;
    for (const SourceEntry& listed : listing.entries) {
        if (SourceLeavesDestination(run.log, job, listed.name)) {
            plan.AddSkip(SkipReason::LeavesDestination, listed.name);
            continue;
        }
        // A refused destination stops the loop, as it stops the copy loop.
        if (DestinationRefused(run, job)) return plan;
        const std::string destination = PlannedDestination(job, listed.name);
        if (!destination.empty()) counterparts.push_back(PathBelow(destination, job.destination));
        PlanOneFile(run, job, listed, destination, plan);
    }
    if (!mirror) return plan;
    const std::optional<MirrorCheck> check = MirrorStepCheck(run, job, listing, counterparts);
    if (!check) {
        plan.AddSkip(SkipReason::SourceGone, job.source);
        return plan;
    }
    TransferPlan mirrorPlan = PlanFolderMirror(run, job, DirectoryPart(job.source, false),
                                               counterparts, *check, plan.Count(PlanVerb::Copy));
    // A deletion that falls due first is gone by the time the mirror step lists the
    // destination.
    std::erase_if(mirrorPlan.actions, [&plan](const PlanAction& orphan) {
        return std::any_of(plan.actions.begin(), plan.actions.end(), [&](const PlanAction& a) {
            return a.verb == PlanVerb::Delete && a.path == orphan.path;
        });
    });
    plan.Append(std::move(mirrorPlan));
    return plan;
}

}  // namespace ferrolin
