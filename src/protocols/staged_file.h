#pragma once
// A file written under a hidden temporary name in its destination folder and given its
// real name only when it is complete: a failure midway leaves nothing under the real name.
// Dropping it without Commit removes the temporary file.
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace ferrolin {

class StagedFile {
  public:
    // A new empty file in folder (created with mode 0666 less the umask).
    static std::optional<StagedFile> Create(const std::string& folder, std::string& error);

    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile();

    int fd() const { return fd_.get(); }
    const std::string& TempPath() const { return tempPath_; }
    // Flushes the content to the disk and renames the file to target (replacing a file of
    // that name). After a failure the temporary file is gone as well.
    bool Commit(const std::string& target, std::string& error);

  private:
    StagedFile(platform::UniqueFd fd, std::string tempPath);
    void Discard();

    platform::UniqueFd fd_;
    std::string tempPath_;
};

}  // namespace ferrolin
