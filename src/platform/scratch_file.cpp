#include "platform/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/errors.h"

namespace ferrolin::platform {

std::optional<ScratchFile> ScratchFile::Create(std::string& error) {
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    pattern += "/ferrolin-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot create a temporary file in " + pattern.substr(0, pattern.rfind('/')) +
                ": " + std::strerror(errno);
        return std::nullopt;
    }
    return ScratchFile(UniqueFd(fd), std::string(name.data()));
}

ScratchFile::ScratchFile(UniqueFd fd, std::string path)
    : fd_(std::move(fd)), path_(std::move(path)) {}

ScratchFile::ScratchFile(ScratchFile&& other) noexcept
    : fd_(std::move(other.fd_)), path_(std::move(other.path_)) {
    other.path_.clear();
}

ScratchFile::~ScratchFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

bool ScratchFile::CopyTo(FsFile& target, std::string& error) const {
    std::vector<char> buffer(1 << 16);
    for (off_t position = 0;;) {
        const ssize_t got = ::pread(fd_.get(), buffer.data(), buffer.size(), position);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = "Cannot read " + path_ + ": " + std::strerror(errno);
            return false;
        }
        if (got == 0) return true;
        if (!target.WriteAll(buffer.data(), static_cast<size_t>(got))) {
            error = ErrorMessage(LastError());
            return false;
        }
        position += got;
    }
}

}  // namespace ferrolin::platform
