#include "engine/job_guards.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "common/log.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "engine/folder_mirror.h"
#include "engine/path_guard.h"
#include "platform/errors.h"
#include "platform/path.h"
#include "platform/safe_open.h"
#include "platform/whole_file.h"
#include "engine/run_context.h"

namespace ferrolin {

namespace {

// The folder with links resolved, or its normal form when it cannot be resolved.
std::string RealFolder(const std::string& folder) {
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) return NormalisePath(folder);
    return resolved;
}

}  // namespace

TransferJob WithNormalFolders(TransferJob job) {
    job.source = NormalisePath(job.source);
    job.destination = NormalisePath(job.destination);
    return job;
}

bool JobRefused(RunContext& station, int n, const TransferJob& job) {
    const std::vector<std::string> wrong = OutOfRangeChoices(ProfileFile(station.IniFilename), n);
    if (wrong.empty()) return false;
    std::string keys;
    for (const std::string& key : wrong) keys += (keys.empty() ? "" : ", ") + key;
    station.LogFailure("Job " + job.name + " not run: stored choice out of range (" + keys + ")");
    station.Tally.refused = true;
    ++station.JobsCutShort;
    return true;
}

void LeaveOutNestedDestination(const TransferJob& job, const std::string& sourceFolder,
                               SourceList& list) {
    if (job.destination.empty() || sourceFolder.empty()) return;
    // Compared with links resolved, so a destination reached by another path is found too.
    const std::string below =
        PathBelow(RealFolder(job.destination), RealFolder(sourceFolder));
    if (below.empty()) return;
    const std::string nested = NormalisePath(sourceFolder + "/" + below);
    SourceList kept;
    kept.reserve(list.size());
    for (SourceEntry& entry : list)
        if (!LiesBelow(entry.name, nested)) kept.push_back(std::move(entry));
    list = std::move(kept);
}

bool ReportUnreadableListFile(RunContext& station, const std::string& what, const std::string& path) {
    if (path.empty()) return false;
    const int32_t error = platform::WholeFileProblem(path);
    if (error == 0) return false;
    WriteLog(0, station.LogFile, what + " " + path + " not read: " + platform::ErrorMessage(error));
    return true;
}

bool SourceLeavesDestination(RunContext& station, const TransferJob& job, const std::string& source) {
    if (job.destination.empty() || !HasParentLevel(source)) return false;
    station.LogFailure("File " + source + " not copied: its path leaves the destination folder " +
                       job.destination);
    ++station.FailedFiles;
    return true;
}

bool SameSharePath(const std::string& a, const std::string& b) {
    if (!platform::IsSharePath(a) || !platform::IsSharePath(b)) return false;
    // Share servers mostly ignore letter case; taking two spellings for one file only
    // keeps a source that could have gone.
    std::string x = NormalisePath(a);
    std::string y = NormalisePath(b);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(x[i])) != std::tolower(static_cast<unsigned char>(y[i])))
            return false;
    return true;
}

bool SourceIsDestination(RunContext& station, const TransferJob& job, const std::string& source,
                         const std::string& destination) {
    if (!platform::SameFile(source, destination) && !SameSharePath(source, destination))
        return false;
    WriteLog(0, station.LogFile,
             "Job " + job.name + " is misconfigured: " + source +
                 " is its own destination; source not deleted");
    return true;
}

}  // namespace ferrolin
