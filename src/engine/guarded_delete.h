#pragma once
// Deletions of "Source is master" that stay inside the job list's own destination
// folders: a path is carried out only when it is absolute, in normal form and lies below
// the destination folder of a job, and the folders on the way are entered without
// following links, so a planted link or a forged line never deletes anything elsewhere.
#include <optional>
#include <string>
#include <vector>

#include "platform/file_systems.h"

namespace ferrolin {

class RunLog;

// The local destination folders (normal form) of the jobs 0 .. jobCount-1 of the INI.
std::vector<std::string> JobDestinationFolders(const std::string& iniFilename, size_t jobCount);

// The folder of folders that path lies below, when path may be deleted at all.
std::optional<std::string> GuardingFolder(const std::string& path,
                                          const std::vector<std::string>& folders);

// Deletes path below root (never through a link) and logs "File <path> deleted" or
// "File <path> deleting failed".
void DeleteBelowAndLog(RunLog& log, platform::FileSystems& files, const std::string& root,
                       const std::string& path);

}  // namespace ferrolin
