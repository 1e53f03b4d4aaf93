#pragma once
// The program's own files in its folder (settings, logs, the run lock, the list of delayed
// deletions, ...). No job writes, replaces or deletes them, whatever its kind: a server
// that offers a file named Ferrolin.INI, or a mirror step over the program folder, must
// never rewrite or remove the station's own state. Every writer and deleter of a job asks
// here first.
#include <string>
#include <string_view>

namespace ferrolin {

class RunContext;

// True when path names one of the program's own files in programDir (the folder compared
// by identity, so another spelling or a link to it is found too; the name compared
// without regard to letter case).
bool IsProgramFile(const std::string& programDir, const std::string& path);

// True when a job must leave path alone because it is one of the program's own files;
// then the skip is logged ("<what> <path> skipped: it is one of the program's own files")
// and counted as a failed file.
bool ProgramFileRefused(RunContext& run, const std::string& path, std::string_view what = "File");

}  // namespace ferrolin
