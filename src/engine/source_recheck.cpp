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

bool DeleteSourceIfUnchanged(RunLog& log, platform::FileSystems& files, const SourceEntry& entry) {
    platform::FileSystem& fs = files.For(entry.name);
    if (!SourceUnchanged(fs, entry)) {
        LogSourceKept(log, entry.name);
        return false;
    }
    return fs.Delete(entry.name) == 0;
}

}  // namespace ferrolin
