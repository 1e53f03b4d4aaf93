#include "files/local_disk.h"

#include <array>
#include <chrono>

#include "platform/computer.h"
#include "platform/path.h"

namespace ferrolin {
namespace {

constexpr auto kRememberFor = std::chrono::seconds(1);

struct Remembered {
    std::string folder;
    bool local = false;
    std::chrono::steady_clock::time_point askedAt;
};

}  // namespace

bool IsOnLocalDisk(const std::string& path) {
    // A copy reads from one folder and writes to another: a few entries cover a run.
    thread_local std::array<Remembered, 4> remembered;
    thread_local size_t nextSlot = 0;
    const std::string folder = platform::FolderOf(path);
    const auto now = std::chrono::steady_clock::now();
    for (const Remembered& entry : remembered) {
        if (entry.folder == folder && now - entry.askedAt < kRememberFor) return entry.local;
    }
    Remembered& slot = remembered[nextSlot];
    nextSlot = (nextSlot + 1) % remembered.size();
    slot.folder = folder;
    slot.local = platform::FileSystemKindOf(folder) == platform::FileSystemKind::Local;
    slot.askedAt = now;
    return slot.local;
}

}  // namespace ferrolin
