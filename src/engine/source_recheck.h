#pragma once
// The last look at a source before it is deleted: a file that was written to since the
// run listed it (its size or modification time moved) is not what was transferred, so
// it stays where it is, with a log line, and the next run takes it up.
#include <string>

#include "engine/source_entry.h"
#include "platform/file_system.h"

namespace ferrolin {

class RunLog;

// True when the file the entry names still has the listed size and, where the listing
// gave one, the listed modification time. False also when it is gone.
bool SourceUnchanged(platform::FileSystem& fs, const SourceEntry& entry);

// The log line of a source kept because it changed.
void LogSourceKept(const RunLog& log, const std::string& path);

}  // namespace ferrolin
