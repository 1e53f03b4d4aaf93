#include "engine/guarded_delete.h"

#include "common/log.h"
#include "config/job_section.h"
#include "config/profile_file.h"
#include "engine/folder_mirror.h"
#include "engine/path_guard.h"
#include "engine/program_files.h"
#include "engine/run_context.h"

namespace ferrolin {

std::vector<std::string> JobDestinationFolders(const std::string& iniFilename, size_t jobCount) {
    const ProfileFile ini(iniFilename);
    std::vector<std::string> folders;
    for (size_t n = 0; n < jobCount; ++n) {
        const std::string dest =
            NormalisePath(ini.ReadString(JobSectionName(static_cast<int>(n)), "EmpfangsVerzeichnis", ""));
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

void DeleteBelowAndLog(RunContext& station, const std::string& root, const std::string& path) {
    if (ProgramFileRefused(station, path)) return;
    const bool deleted = station.Copy.Files.For(root).DeleteBelow(root, PathBelow(path, root)) == 0;
    if (!deleted) ++station.FailedFiles;
    WriteLog(0, station.LogFile, "File " + path + (deleted ? " deleted" : " deleting failed"));
    if (deleted) {
        station.Tally.Deleted();
    } else {
        station.Tally.NoteError("File " + path + " deleting failed");
    }
}

}  // namespace ferrolin
