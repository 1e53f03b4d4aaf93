#pragma once
// Runs.jsonl in the program folder: one run record per line, appended at the end of each
// run the way the event log is written (under the file's lock, one write per line) and
// rotated like it: past 2,000,000 bytes the file becomes Runsold.jsonl and a new one
// starts.
#include <optional>
#include <string>
#include <vector>

#include "station/run_record.h"

namespace ferrolin {

inline constexpr char kRunRecordFile[] = "Runs.jsonl";
inline constexpr uint32_t kRunRecordFileLimit = 2000000;

std::string RunRecordPath(const std::string& programDir);

// False when the file could not be opened.
bool AppendRunRecord(const std::string& programDir, const RunRecord& record);

// Every readable record, oldest first: the previous generation's, then the current
// file's. Lines that are cut off or garbled (a run killed while writing, a disk that
// filled up) are passed over.
std::vector<RunRecord> ReadRunRecords(const std::string& programDir);

// The newest readable record, if any.
std::optional<RunRecord> LastRunRecord(const std::string& programDir);

}  // namespace ferrolin
