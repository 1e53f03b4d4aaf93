#pragma once
// A downloaded file written under a temporary name beside its target, on this computer or
// on a share, and given its real name only when it is complete: a failure midway leaves
// nothing under the real name and no temporary file. The temporary file is always made new
// (temp_name.h); nothing that stands in the folder is reused or removed for it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/temp_name.h"

namespace ferrolin::platform {

class StagedTarget {
  public:
    // A new empty file beside target under target's temporary name, passing over the
    // names taken() claims. Nothing, with the reason in error, when none could be made.
    static std::optional<StagedTarget> CreateFor(FileSystem& fs, const std::string& target,
                                                 std::string& error, const NameTaken& taken = {});

    StagedTarget(StagedTarget&& other) noexcept;
    StagedTarget& operator=(StagedTarget&&) = delete;
    StagedTarget(const StagedTarget&) = delete;
    StagedTarget& operator=(const StagedTarget&) = delete;
    ~StagedTarget();

    FsFile& File() { return *file_; }
    // Closes the file (flushed to the disk first when flush is set and the file is on this
    // computer) and renames it over target; lastWrite, when not 0, becomes its last-write
    // and last-access time. Flushing, the folder is flushed after the rename too, so the
    // new name survives a power cut. After a failure before the rename the temporary file
    // is gone as well.
    bool Commit(const std::string& target, std::string& error, bool flush, int64_t lastWrite);

    // Replaces target with content in one step: the old file or the new one, never a part.
    static bool ReplaceWhole(FileSystem& fs, const std::string& target, std::string_view content,
                             std::string& error);

  private:
    StagedTarget(FileSystem& fs, FsFilePtr file, std::string tempPath);
    void Discard();

    FileSystem& fs_;
    FsFilePtr file_;
    std::string tempPath_;
};

}  // namespace ferrolin::platform
