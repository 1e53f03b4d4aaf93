#include "protocols/staged_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

std::string RandomSuffix(std::mt19937_64& random) {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i) suffix += kDigits[random() % 36];
    return suffix;
}

}  // namespace

std::optional<StagedFile> StagedFile::Create(const std::string& folder, std::string& error) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed());
    const std::string base = folder.empty() ? std::string(".") : folder;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string path = base + "/.ferrolin-" + RandomSuffix(random) + ".part";
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return StagedFile(platform::UniqueFd(fd), std::move(path));
        if (errno != EEXIST) {
            error = "Cannot create a file in " + base + ": " + std::strerror(errno);
            return std::nullopt;
        }
    }
    error = "Cannot create a file in " + base + ": no free temporary name";
    return std::nullopt;
}

std::optional<StagedFile> StagedFile::CreateFor(const std::string& target, std::string& error,
                                                const platform::NameTaken& taken) {
    std::string path;
    platform::UniqueFd fd = platform::CreateLocalTempFor(target, taken, path);
    if (!fd) {
        error = "Cannot create a temporary file for " + target + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return StagedFile(std::move(fd), std::move(path));
}

StagedFile::StagedFile(platform::UniqueFd fd, std::string tempPath)
    : fd_(std::move(fd)), tempPath_(std::move(tempPath)) {}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : fd_(std::move(other.fd_)), tempPath_(std::move(other.tempPath_)) {
    other.tempPath_.clear();
}

StagedFile::~StagedFile() {
    Discard();
}

void StagedFile::Discard() {
    fd_.reset();
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

bool StagedFile::Commit(const std::string& target, std::string& error, bool flush) {
    if (tempPath_.empty()) {
        error = "The file was already given its name";
        return false;
    }
    // On the disk before it carries the real name: a crash never leaves an empty file there.
    if ((flush && ::fdatasync(fd_.get()) != 0) || ::close(fd_.release()) != 0) {
        error = "Cannot finish " + target + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    if (std::rename(tempPath_.c_str(), target.c_str()) != 0) {
        error = "Cannot name the file " + target + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    tempPath_.clear();
    // The name on the disk as well: only then does the file survive a power cut.
    if (flush) {
        if (const int32_t failed = platform::FlushToDisk(platform::FolderOf(target)); failed != 0) {
            error = "Cannot flush the folder of " + target + ": " + std::strerror(failed);
            return false;
        }
    }
    return true;
}

}  // namespace ferrolin
