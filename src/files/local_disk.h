#pragma once
// Whether a path lies on a kernel file system of this computer, remembered per folder for
// a moment: a folder job asks for every file, and the answer only changes when something
// is mounted or unmounted.
#include <array>
#include <chrono>
#include <string>

namespace ferrolin {

class LocalDiskMemo {
public:
    // True when the folder holding path is on a local kernel file system (not a network
    // one and not a user-space one, whose reads may stall like a network's).
    bool IsOnLocalDisk(const std::string& path);

private:
    struct Remembered {
        std::string folder;
        bool local = false;
        std::chrono::steady_clock::time_point askedAt;
    };
    // A copy reads from one folder and writes to another: a few entries cover a run.
    std::array<Remembered, 4> remembered_;
    size_t nextSlot_ = 0;
};

}  // namespace ferrolin
