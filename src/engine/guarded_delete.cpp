#include "engine/guarded_delete.h"

#include "common/log.h"
#include "config/delete_limit.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "engine/folder_mirror.h"
#include "engine/path_guard.h"
#include "engine/program_files.h"
#include "engine/run_log.h"
#include "engine/source_recheck.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// What a mirror step deletes, as its log lines name it.
std::string_view DeletedFiles(MirrorSide side) {
    switch (side) {
        case MirrorSide::RemoteDestination:
            return "remote file";
        case MirrorSide::RemoteSource:
            return "local file";
        case MirrorSide::LocalDestination:
            break;
    }
    return "destination file";
}

std::string IncompleteLine(const MirrorCheck& check) {
    const std::string nothing = "; no " + std::string(DeletedFiles(check.side)) + " deleted";
    if (check.side == MirrorSide::RemoteSource)
        return "FTP folder " + check.source + " was not listed completely" + nothing;
    return "Source " + check.source + " could not be listed completely" + nothing;
}

// One copy's path on stable storage, and the name in its folder; 0 or the error code.
int32_t FlushCopy(platform::FileSystems& files, const std::string& copy) {
    platform::FileSystem& fs = files.For(copy);
    if (const int32_t error = fs.Flush(copy); error != 0) return error;
    return fs.Flush(platform::FolderOf(copy));
}

}  // namespace

MirrorVerdict JudgeMirrorDeletions(const TransferJob& job, const MirrorCheck& check) {
    if (!check.sourceComplete) return MirrorVerdict::SourceIncomplete;
    if (check.deletions == 0) return MirrorVerdict::Delete;
    if (check.sourceFiles == 0 && !job.allowEmptySource) return MirrorVerdict::SourceEmpty;
    const std::optional<DeleteLimit> limit = ParseDeleteLimit(job.maxDelete);
    if (!limit) return MirrorVerdict::LimitUnreadable;
    if (check.deletions > limit->Allowed(check.destinationFiles)) return MirrorVerdict::TooMany;
    return MirrorVerdict::Delete;
}

bool MirrorDeletionsAllowed(RunLog& log, const TransferJob& job, const MirrorCheck& check) {
    switch (JudgeMirrorDeletions(job, check)) {
        case MirrorVerdict::Delete:
            return true;
        case MirrorVerdict::SourceIncomplete:
            log.Write(IncompleteLine(check));
            return false;
        case MirrorVerdict::SourceEmpty:
            log.Failure("Source " + check.source + " is empty: mirror deletions skipped");
            break;
        case MirrorVerdict::TooMany:
            log.Failure("Source " + check.source + ": the mirror step would delete " +
                        std::to_string(check.deletions) + " of " +
                        std::to_string(check.destinationFiles) + " " +
                        std::string(DeletedFiles(check.side)) +
                        "s, more than MaxDelete=" + job.maxDelete + " allows; nothing deleted");
            break;
        case MirrorVerdict::LimitUnreadable:
            log.Failure("MaxDelete \"" + job.maxDelete +
                        "\" is not a count or a percentage; nothing deleted");
            break;
    }
    ++log.FailedFiles;
    return false;
}

std::vector<std::string> JobDestinationFolders(const std::string& iniFilename, size_t jobCount) {
    const ProfileFile ini(iniFilename);
    std::vector<std::string> folders;
    for (size_t n = 0; n < jobCount; ++n) {
        const std::string dest = NormalisePath(
            ini.ReadString(JobSectionName(static_cast<int>(n)), "EmpfangsVerzeichnis", ""));
        if (IsNormalAbsolutePath(dest) && dest != "/") folders.push_back(dest);
    }
    return folders;
}

std::optional<std::string> GuardingFolder(const std::string& path,
                                          const std::vector<std::string>& folders) {
    if (!IsNormalAbsolutePath(path)) return std::nullopt;
    for (const std::string& folder : folders)
        if (LiesBelow(path, folder)) return folder;
    return std::nullopt;
}

void DeleteBelowAndLog(RunLog& log, platform::FileSystems& files, const std::string& root,
                       const std::string& path) {
    if (ProgramFileRefused(log, path)) return;
    const bool deleted = files.For(root).DeleteBelow(root, PathBelow(path, root)) == 0;
    if (!deleted) ++log.FailedFiles;
    log.Write("File " + path + (deleted ? " deleted" : " deleting failed"));
    if (deleted) {
        log.Tally.Deleted();
    } else {
        log.Tally.NoteError("File " + path + " deleting failed");
    }
}

bool DeleteCopiedSource(RunLog& log, platform::FileSystems& files, const SourceEntry& source,
                        const std::string& localCopy) {
    if (ProgramFileRefused(log, source.name, "Source")) return false;
    if (!localCopy.empty()) {
        if (const int32_t error = FlushCopy(files, localCopy); error != 0) {
            log.Failure(localCopy + " could not be flushed to disk (" +
                        platform::ErrorMessage(error) + "); source " + source.name + " kept");
            ++log.FailedFiles;
            return false;
        }
    }
    platform::FileSystem& fs = files.For(source.name);
    if (!SourceUnchanged(fs, source)) {
        LogSourceKept(log, source.name);
        return false;
    }
    return fs.Delete(source.name) == 0;
}

}  // namespace ferrolin
