#include "engine/program_files.h"

#include <array>
#include <cctype>

#include "common/log.h"
#include "engine/run_context.h"
#include "engine/source_entry.h"
#include "platform/path.h"
#include "platform/safe_open.h"

namespace ferrolin {

namespace {

// Every file the program keeps in its folder, present or to come.
constexpr std::array<std::string_view, 15> kProgramFileNames = {
    "Ferrolin.INI",  "Ferrolin.log",    "Ferrolinold.log", "FileCopy.log",  "Metadata.log",
    "Ferrolin.lock", "DelayDelete.txt", "FtpHost.ini",     "KestRas.INI",   "known_hosts",
    "trusted_certs", "Runs.jsonl",      "Runsold.jsonl",   "Alarm.json",    "Quillomat.INI",
};

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Asked for every file a job writes: no allocation, no system call for other names.
bool HasProgramFileName(std::string_view path) {
    const std::string_view name = LastPathComponent(path);
    for (const std::string_view own : kProgramFileNames)
        if (SameNameNoCase(name, own)) return true;
    return false;
}

}  // namespace

bool IsProgramFile(const std::string& programDir, const std::string& path) {
    if (programDir.empty() || !HasProgramFileName(path) || platform::IsSharePath(path))
        return false;
    return platform::SameFile(platform::FolderOf(path), programDir);
}

bool ProgramFileRefused(RunContext& run, const std::string& path, std::string_view what) {
    if (!IsProgramFile(run.ProgramDir, path)) return false;
    WriteLog(0, run.LogFile,
             std::string(what) + " " + path + " skipped: it is one of the program's own files");
    ++run.FailedFiles;
    return true;
}

}  // namespace ferrolin
