#include "files/local_disk.h"

#include "platform/computer.h"
#include "platform/path.h"

namespace ferrolin {
namespace {

constexpr auto kRememberFor = std::chrono::seconds(1);

}  // namespace

bool LocalDiskMemo::IsOnLocalDisk(const std::string& path) {
    const std::string folder = platform::FolderOf(path);
    const auto now = std::chrono::steady_clock::now();
    for (const Remembered& entry : remembered_) {
        if (entry.folder == folder && now - entry.askedAt < kRememberFor) return entry.local;
    }
    Remembered& slot = remembered_[nextSlot_];
    nextSlot_ = (nextSlot_ + 1) % remembered_.size();
    slot.folder = folder;
    slot.local = platform::FileSystemKindOf(folder) == platform::FileSystemKind::Local;
    slot.askedAt = now;
    return slot.local;
}

}  // namespace ferrolin
