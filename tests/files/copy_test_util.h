#pragma once
// Helpers of the file-service tests: file contents, times, and a child process that
// holds a lock.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <string>

#include "files/copy_context.h"
#include "platform/file_handle.h"
#include "platform/file_times.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

inline std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

inline constexpr int64_t kSecond = 10000000;  // file-time units

// A fixed moment for file times (2024-01-01 00:00 UTC) plus seconds.
inline int64_t Moment(int64_t seconds) { return 133485408000000000LL + seconds * kSecond; }

inline void SetWriteTime(const std::string& path, int64_t fileTime) {
    platform::SetFileTimes(path, fileTime, fileTime, fileTime);
}

inline int64_t WriteTime(const std::string& path) {
    platform::FileTimes t;
    return platform::GetFileTimes(path, t) ? t.LastWrite : 0;
}

inline uint32_t ModeOf(const std::string& path) {
    auto info = platform::GetFileInfo(path);
    return info ? info->Mode : 0;
}

inline bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Another process holding an exclusive flock on a file until destroyed.
class LockHolder {
public:
    explicit LockHolder(const std::string& path, int lockMode = LOCK_EX) {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
            flock(fd, lockMode);
            char c = 1;
            (void)!write(ready[1], &c, 1);
            pause();
            _exit(0);
        }
        char c;
        (void)!read(ready[0], &c, 1);
        close(ready[0]);
        close(ready[1]);
    }
    ~LockHolder() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

// Each test has its own copier context, writing its logs into the test's own folder.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { copy.LogFolder = dir.path(); }
    std::string Path(const std::string& name) const { return dir / name; }
    TempDir dir;
    CopyContext copy;
};

}  // namespace ferrolin::test
