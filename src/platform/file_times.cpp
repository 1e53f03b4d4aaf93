#include "platform/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_time_units.h"
#include "platform/file_handle.h"

namespace ferrolin::platform {
bool GetFileTimes(const std::string& path, FileTimes& times) {
    FileHandle file = FileHandle::OpenRead(path, false);
    if (!file.IsOpen()) return false;
    auto info = file.Info();
    if (!info) return false;
    times.Creation = info->CreationTime;
    times.LastAccess = info->LastAccessTime;
    times.LastWrite = info->LastWriteTime;
    return true;
}

bool SetFileTimes(const std::string& path, int64_t creation, int64_t lastAccess,
                  int64_t lastWrite) {
    if (creation == 0) return false;
    if (RefuseSharePath(path)) return false;
    const struct timespec ts[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
    return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
}

int CompareFileTimes(int64_t a, int64_t b, bool tolerant) {
    // Saturating difference: file times far apart must not wrap around.
    int64_t diff = 0;
    if (__builtin_sub_overflow(a, b, &diff)) diff = a < b ? INT64_MIN : INT64_MAX;
    if (diff < 0) return -1;
    if (diff == 0) return 0;
    if (tolerant && diff <= kFileTimeTolerance) return 0;
    return 1;
}

}  // namespace ferrolin::platform
