#include "platform/staged_target.h"

#include <unistd.h>

#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin::platform {

std::optional<StagedTarget> StagedTarget::CreateFor(FileSystem& fs, const std::string& target,
                                                    std::string& error, const NameTaken& taken) {
    std::string path;
    FsFilePtr file = CreateTempTargetFor(fs, target, false, path, taken);
    if (!file) {
        error = "Cannot create a temporary file for " + target + ": " + ErrorMessage(LastError());
        return std::nullopt;
    }
    return StagedTarget(fs, std::move(file), std::move(path));
}

StagedTarget::StagedTarget(FileSystem& fs, FsFilePtr file, std::string tempPath)
    : fs_(fs), file_(std::move(file)), tempPath_(std::move(tempPath)) {}

StagedTarget::StagedTarget(StagedTarget&& other) noexcept
    : fs_(other.fs_), file_(std::move(other.file_)), tempPath_(std::move(other.tempPath_)) {
    other.tempPath_.clear();
}

StagedTarget::~StagedTarget() {
    Discard();
}

void StagedTarget::Discard() {
    file_.reset();
    if (!tempPath_.empty()) fs_.Delete(tempPath_);
    tempPath_.clear();
}

bool StagedTarget::Commit(const std::string& target, std::string& error, bool flush,
                          int64_t lastWrite) {
    if (tempPath_.empty() || !file_) {
        error = "The file was already given its name";
        return false;
    }
    // On the disk before it carries the real name: a crash never leaves an empty file there.
    const int fd = file_->LocalFd();
    if (flush && fd >= 0 && ::fdatasync(fd) != 0) {
        error = "Cannot finish " + target + ": " + ErrorMessage(LastError());
        Discard();
        return false;
    }
    const std::optional<FileInfo> info = file_->Info();
    file_.reset();
    if (!info) {
        error = "Cannot finish " + target + ": " + ErrorMessage(LastError());
        Discard();
        return false;
    }
    if (lastWrite != 0) fs_.SetTimesAndMode(tempPath_, lastWrite, lastWrite, lastWrite, info->Mode);
    if (const int32_t code = fs_.Rename(tempPath_, target, true); code != 0) {
        error = "Cannot name the file " + target + ": " + ErrorMessage(code);
        Discard();
        return false;
    }
    tempPath_.clear();
    // The name on the disk as well: only then does the file survive a power cut.
    if (flush) {
        if (const int32_t code = fs_.Flush(FolderOf(target)); code != 0) {
            error = "Cannot flush the folder of " + target + ": " + ErrorMessage(code);
            return false;
        }
    }
    return true;
}

bool StagedTarget::ReplaceWhole(FileSystem& fs, const std::string& target, std::string_view content,
                                std::string& error) {
    std::optional<StagedTarget> file = CreateFor(fs, target, error);
    if (!file) return false;
    if (!file->File().WriteAll(content.data(), content.size())) {
        error = "Cannot write " + target + ": " + ErrorMessage(LastError());
        return false;
    }
    return file->Commit(target, error, true, 0);
}

}  // namespace ferrolin::platform
