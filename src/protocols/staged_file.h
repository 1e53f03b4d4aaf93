#pragma once
// A file written under a temporary name in its destination folder and given its real
// name only when it is complete: a failure midway leaves nothing under the real name.
// Dropping it without Commit removes the temporary file. The temporary file is always
// made new; nothing that stands in the folder is ever reused or removed for it.
#include <optional>
#include <string>

#include "platform/temp_name.h"
#include "platform/unique_fd.h"

namespace ferrolin {

class StagedFile {
  public:
    // A new empty hidden file in folder (created with mode 0666 less the umask), for
    // content that has no final name yet.
    static std::optional<StagedFile> Create(const std::string& folder, std::string& error);
    // A new empty file beside target under target's temporary name (files/temp_name.h),
    // passing over the names taken() claims.
    static std::optional<StagedFile> CreateFor(const std::string& target, std::string& error,
                                               const platform::NameTaken& taken = {});

    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    int fd() const { return fd_.get(); }
    const std::string& TempPath() const { return tempPath_; }
    // Flushes the content to the disk (unless flush is false: a copy that can be fetched
    // again, written like the copier's), renames the file to target (replacing a file of
    // that name) and, flushing, puts that name in its folder on the disk too. After a
    // failure before the rename the temporary file is gone as well.
    bool Commit(const std::string& target, std::string& error, bool flush = true);

  private:
    StagedFile(platform::UniqueFd fd, std::string tempPath);
    void Discard();

    platform::UniqueFd fd_;
    std::string tempPath_;
};

}  // namespace ferrolin
