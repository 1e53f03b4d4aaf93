#pragma once
// A private file in the temporary folder ($TMPDIR, else /tmp) for content that is worked on
// locally before it goes anywhere: a retrieved mail message that the decoder reads by path,
// or a decoded part on its way to a share. It is removed when the object goes.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

class ScratchFile {
  public:
    // A new empty file (mode 0600). Nothing, with the reason in error, when none could be made.
    static std::optional<ScratchFile> Create(std::string& error);

    ScratchFile(ScratchFile&& other) noexcept;
    ScratchFile& operator=(ScratchFile&&) = delete;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    int fd() const { return fd_.get(); }
    const std::string& Path() const { return path_; }

    // Appends the whole content, from its start, to target. False with the reason in error.
    bool CopyTo(FsFile& target, std::string& error) const;

  private:
    ScratchFile(UniqueFd fd, std::string path);

    UniqueFd fd_;
    std::string path_;
};

}  // namespace ferrolin::platform
