#pragma once
// Checks that keep one job's run to its own folders and its stored settings, each called
// from one place of the run: a job whose stored choices are out of range is not run, the
// folders of a job are compared in normal form, a destination inside a recursive source
// is not listed as source, a listed path that climbs out with ".." is not copied, and a
// source that is its own destination is never deleted.
#include <string>

#include "config/transfer_job.h"
#include "engine/source_entry.h"

namespace ferrolin {

class RunLog;

// The job with its source and destination folders in normal form (NormalisePath).
TransferJob WithNormalFolders(TransferJob job);

// True (with one log line, the job counted as cut short) when job n of iniFile holds a
// stored choice outside its range: such a job is not run rather than run in another mode.
bool JobRefused(RunLog& log, const std::string& iniFile, int n, const TransferJob& job);

// Removes from a recursive listing of sourceFolder the entries below the job's
// destination folder, when that lies inside the source.
void LeaveOutNestedDestination(const TransferJob& job, const std::string& sourceFolder,
                               SourceList& list);

// Logs "<what> <path> not read: <reason>" when a list file exists but cannot be read as
// one (a pipe, a device, larger than 64 MiB); true then.
bool ReportUnreadableListFile(const RunLog& log, const std::string& what, const std::string& path);

// True (logged, counted as failed) when a listed source path has a ".." level: its copy
// could be placed outside the destination folder.
bool SourceLeavesDestination(RunLog& log, const TransferJob& job, const std::string& source);

// Two share paths that name the same file (normal form, letter case ignored).
bool SameSharePath(const std::string& a, const std::string& b);

// True (logged: the job is misconfigured) when source and destination are the same file,
// so deleting the source would delete the copy.
bool SourceIsDestination(const RunLog& log, const TransferJob& job, const std::string& source,
                         const std::string& destination);

}  // namespace ferrolin
