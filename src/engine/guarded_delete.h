#pragma once
// The one guard every deletion of a job passes, whatever deletes: a mirror step (folders,
// shares, FTP and the kinds to come), a delayed deletion that fell due, or the deletion of
// a source after its copy.
// - A mirror step asks first with what it listed and what it would delete: an incomplete
//   source listing deletes nothing; an empty source never empties a destination unless
//   the job allows it (AllowEmptySource); more deletions than MaxDelete allows delete
//   nothing. Each file then goes only when it lies below its root, never through a link.
// - A source goes only when its copy is on stable storage and the file is still the one
//   that was listed.
// - No deletion ever touches one of the program's own files.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/transfer_job.h"
#include "engine/source_entry.h"
#include "platform/file_systems.h"

namespace ferrolin {

class RunLog;

// Which mirror step asks: it names what the step deletes in the log.
enum class MirrorSide : uint8_t {
    LocalDestination,   // destination files of a folder or share
    RemoteDestination,  // remote files of an upload
    RemoteSource,       // local files of a download
};

// What a mirror step found before it deletes anything.
struct MirrorCheck {
    MirrorSide side = MirrorSide::LocalDestination;
    std::string source;           // as the log names it: the source folder or remote folder
    bool sourceComplete = true;   // the source listing lacks nothing that exists
    size_t sourceFiles = 0;       // files of the source listing, those left to settle included
    size_t destinationFiles = 0;  // files of the destination the step compared
    size_t deletions = 0;         // files it would delete now or note for later
};

enum class MirrorVerdict : uint8_t {
    Delete,            // the deletions may go ahead
    SourceIncomplete,  // the source listing may lack files that exist
    SourceEmpty,       // an empty source would empty the destination
    TooMany,           // more deletions than MaxDelete allows
    LimitUnreadable,   // MaxDelete holds no count or percentage
};

// The decision alone, as a dry run takes it too.
MirrorVerdict JudgeMirrorDeletions(const TransferJob& job, const MirrorCheck& check);

// The decision with its log line. A refusal for an empty source or MaxDelete fails the job
// (an incomplete listing was counted by its lister). True when the step may delete.
bool MirrorDeletionsAllowed(RunLog& log, const TransferJob& job, const MirrorCheck& check);

// The local destination folders (normal form) of the jobs 0 .. jobCount-1 of the INI.
std::vector<std::string> JobDestinationFolders(const std::string& iniFilename, size_t jobCount);

// The folder of folders that path lies below, when path may be deleted at all.
std::optional<std::string> GuardingFolder(const std::string& path,
                                          const std::vector<std::string>& folders);

// Deletes path below root (never through a link) and logs "File <path> deleted" or
// "File <path> deleting failed"; one of the program's own files is skipped with a log line.
void DeleteBelowAndLog(RunLog& log, platform::FileSystems& files, const std::string& root,
                       const std::string& path);

// Deletes a source whose copy is in place. localCopy, when not empty, is that copy on a
// disk or share, flushed to stable storage first (its folder too); empty means the copy's
// durability is already known (the copier flushed it, or a server confirmed it). The
// source stays, with a log line, when it is one of the program's own files, when the
// flush fails (counted as a failed file) or when it changed since it was listed. True
// when it was deleted.
bool DeleteCopiedSource(RunLog& log, platform::FileSystems& files, const SourceEntry& source,
                        const std::string& localCopy);

}  // namespace ferrolin
