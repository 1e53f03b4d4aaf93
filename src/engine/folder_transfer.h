#pragma once
// The copy loop of a job whose destination is a folder (folder and list-file sources):
// one file after another with a progress line, the end statistic, and the mirror step
// of "Source is master".
#include <string>

#include "config/transfer_job.h"
#include "engine/source_entry.h"
#include "engine/transfer_kinds.h"
#include "engine/transfer_plan.h"
#include "platform/file_system.h"

namespace ferrolin {

struct RunContext;

// The destination folder for a source file with "Include Sub Directories": below destRoot,
// the file's folder below the source folder (sourceRoot, reduced to its folder when it ends
// in a mask); a file outside the source folder keeps its whole folder path. The folder is
// created when missing.
// knownFolder, when given, remembers the last folder found or made, so the files of one
// folder cost one look at the disk. The folders are made through fs (null: this computer's).
std::string MirroredFolder(const std::string& destRoot, const std::string& sourceFile,
                           const std::string& sourceRoot, std::string* knownFolder = nullptr,
                           platform::FileSystem* fs = nullptr);

// Where a source file goes: below the destination folder, in the subfolder that mirrors
// its source subfolder with "Include Sub Directories" (created when missing); empty when
// the job has no destination folder.
std::string DestinationFor(const TransferJob& job, const std::string& sourcePath,
                           std::string* knownFolder = nullptr, platform::FileSystem* fs = nullptr);

// A source file's folder below the source folder as "Include Sub Directories" mirrors it
// (empty for the source folder itself); a file from elsewhere keeps its whole folder path.
std::string MirroredFolderBelow(const std::string& sourceFile, const std::string& sourceRoot);

// Where the copy of a source file lies below the destination folder, made nowhere.
std::string CounterpartBelow(const TransferJob& job, const std::string& sourcePath);

// Runs the loop over the listed entries. An incomplete listing (a source folder could not
// be read to its end) keeps the mirror step from deleting anything.
void RunFolderTransfer(const RunContext& run, const TransferJob& job, const SourceListing& listing);

// What RunFolderTransfer would do with the listed entries, decided by the same steps and
// done nowhere: no folder made, no file copied or deleted, DelayDelete.txt only read.
TransferPlan PlanFolderTransfer(const RunContext& run, const TransferJob& job,
                                const SourceListing& listing);

}  // namespace ferrolin
