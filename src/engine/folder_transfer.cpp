#include "engine/folder_transfer.h"

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
#include "engine/run_context.h"
#include "engine/run_texts.h"
#include "engine/share_logon.h"
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

void RunFolderTransfer(const RunContext& run, const TransferJob& job,
                       const SourceListing& listing) {
    const SourceList& list = listing.entries;
    Surfaces& surfaces = run.face;
    if (job.copyMode == CM_SourceIsMaster) ProcessDelayedDeletes(run, job);

    const uint32_t maxBytesPerSecond = JobByteRate(run, job);
    RecentAverage samples(kMaxRateSamples);
    size_t i = 0;
    const int64_t totalBytes = TotalEntrySize(list);
    int64_t copiedBytes = 0;
    run.copy.Status.BytesPerSecond = 0;
    const TDateTime start = run.clock.Now();
    std::vector<std::string> counterparts;
    counterparts.reserve(list.size());
    platform::FileSystem& destFs = run.copy.Files.For(job.destination);
    FreeSpace freeSpace(destFs, job.destination);
    std::string knownFolder;

    while (i < list.size() && !run.cancel.StopRequested()) {
        const std::string& source = list[i].name;
        if (SourceLeavesDestination(run.log, job, source)) {
            ++i;
            continue;
        }
        // The destination's share is logged on to before its folders are made or measured.
        const bool refused = !job.destination.empty() &&
                             ShareLogonRefused(run.log, run.copy, job.destination,
                                               job.destinationUser, job.destinationPassword);
        const std::string destination =
            refused ? std::string() : DestinationFor(job, source, &knownFolder, &destFs);
        if (!destination.empty()) counterparts.push_back(PathBelow(destination, job.destination));

        AddRateSample(run.copy.Status, samples);
        ProgressFigures figures;
        figures.fileNumber = i + 1;
        figures.fileCount = list.size();
        figures.copiedBytes = copiedBytes;
        figures.totalBytes = totalBytes;
        figures.averageRate = samples.Average();
        figures.freeBytes = freeSpace.Bytes();
        surfaces.SetStatusText(ProgressLine(figures));

        copiedBytes += list[i].size;

        if (refused) {
            // A refused destination stops this job's loop, and a manual run's remaining jobs.
            run.cancel.Stop();
            ++run.log.JobsCutShort;
        } else {
            TransferOneFile(run, job, list[i], destination, maxBytesPerSecond);
        }
        surfaces.ProcessMessages();
        ++i;
    }

    if (i > 1 && i < list.size()) {
        run.log.Write("Copy process aborted ");
        --i;
        copiedBytes -= list[i].size;
    }
    if (run.options.logEndStatistic) {
        const double seconds = (run.clock.Now() - start) * 86400.0;
        if (seconds > 0) {
            const auto rate = static_cast<int64_t>(std::llround(copiedBytes / seconds));
            run.log.Write("Total copied files: " + std::to_string(i) + " size: " +
                          FormatByteSize(copiedBytes) + " speed: " + FormatByteSize(rate) + "/s)");
        }
    }
    if (run.cancel.StopRequested() || job.copyMode != CM_SourceIsMaster) return;
    const std::string sourceFolder = DirectoryPart(job.source, false);
    if (!run.copy.Files.For(sourceFolder).FolderExists(sourceFolder)) {
        // Listed, then gone (an unmounted disk, a lost share): files whose copies matched
        // their listing count as in place, but the job did not see its source to the end.
        if (listing.complete) {
            run.log.Write("Source " + job.source +
                          " disappeared during the run; nothing removed at the destination");
            ++run.log.JobsCutShort;
        }
        return;
    }
    // Files left to settle keep their older copies.
    for (const SourceEntry& entry : listing.settling)
        counterparts.push_back(CounterpartBelow(job, entry.name));
    MirrorCheck check;
    check.source = job.source;
    check.sourceComplete = listing.complete;
    check.sourceFiles = listing.SourceFiles();
    MirrorFolderDestination(run, job, sourceFolder, counterparts, check);
}

}  // namespace ferrolin
