#include "engine/source_recheck.h"

#include "engine/run_log.h"

namespace ferrolin {

bool SourceUnchanged(platform::FileSystem& fs, const SourceEntry& entry) {
    const std::optional<platform::FileInfo> now = fs.Stat(entry.name);
    if (!now || !now->Regular || now->Size != entry.size) return false;
    return entry.modified == 0 || now->LastWriteTime == entry.modified;
}

void LogSourceKept(const RunLog& log, const std::string& path) {
    log.Write(path + " changed since it was listed; kept for the next run");
}

}  // namespace ferrolin
