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

// Reads the whole file. 0 on success, ENOENT when it does not exist, another errno (or
// ERROR_SHARE_UNREACHABLE for a share path) when it cannot be read. stamp, when given,
// describes the version that was read.
int32_t ReadWholeFile(const std::string& path, std::string& content, FileStamp* stamp = nullptr);

// The stamp of the file as it is now; false when it cannot be examined.
bool GetFileStamp(const std::string& path, FileStamp& stamp);

// Replaces the file's content atomically (temporary file, flush, rename). A symbolic link
// is followed, so the file it points at is replaced. The replacement keeps the old file's
// permission bits (0644 for a new file). 0 or an errno; on failure the old file is
// untouched and no temporary file is left behind. stamp describes the new version.
int32_t ReplaceWholeFile(const std::string& path, std::string_view content,
                         FileStamp* stamp = nullptr);

}  // namespace ferrolin::platform
