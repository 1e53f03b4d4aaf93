#pragma once
// Reading and replacing small files as a whole, for settings files that must never be
// seen half-written: a replacement is written to a temporary file in the same folder,
// flushed to the disk and renamed over the old file in one step.
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolin::platform {

// What identifies one version of a file: a replacement by rename gets a new inode, an
// edit in place a new size or modification time.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;  // last write, nanoseconds since 1970
    bool operator==(const FileStamp&) const = default;
};

// The largest file ReadWholeFile reads: lists and settings files are far smaller, and a
// larger one (or a device that never ends) must not take the memory.
inline constexpr int64_t kMaxWholeFileSize = 64 * 1024 * 1024;

// Reads the whole file. A pipe or device fails with ERROR_NOT_REGULAR_FILE (without
// waiting), a file larger than kMaxWholeFileSize with ERROR_FILE_TOO_LARGE. 0 on success, ENOENT when it does not exist, another errno (or
// ERROR_SHARE_UNREACHABLE for a share path) when it cannot be read. stamp, when given,
// describes the version that was read.
int32_t ReadWholeFile(const std::string& path, std::string& content, FileStamp* stamp = nullptr);

// Why ReadWholeFile would refuse an existing file without reading it: 0 when it would
// not (a missing file is 0 too), ERROR_NOT_REGULAR_FILE or ERROR_FILE_TOO_LARGE.
int32_t WholeFileProblem(const std::string& path);

// The stamp of the file as it is now; false when it cannot be examined.
bool GetFileStamp(const std::string& path, FileStamp& stamp);

// Who may read a replaced file. A private file holds secrets (the passwords of the INI
// files): it is the owner's alone, 0600 when new, and a replacement never widens its mode
// (an existing 0400 stays 0400, a 0644 one becomes 0600), whatever the process umask.
enum class FileAccess { Shared, Private };

// Replaces the file's content atomically (temporary file, flush, rename). A symbolic link
// is followed, so the file it points at is replaced. A shared replacement keeps the old
// file's permission bits (0644 for a new file); a private one see FileAccess. 0 or an
// errno; on failure the old file is untouched and no temporary file is left behind.
// stamp describes the new version.
int32_t ReplaceWholeFile(const std::string& path, std::string_view content,
                         FileStamp* stamp = nullptr, FileAccess access = FileAccess::Shared);

}  // namespace ferrolin::platform
