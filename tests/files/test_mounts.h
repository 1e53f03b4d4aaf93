#pragma once
// File systems mounted for one test (as root): a size-limited tmpfs, and the
// fault-injecting FUSE file system over a backing folder.
#include <signal.h>
#include <sys/mount.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace ferrolin::test {

// A size-limited tmpfs mounted for one test.
class TmpfsMount {
public:
    TmpfsMount(const std::string& path, const std::string& options) : path_(path) {
        std::filesystem::create_directories(path);
        if (mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            mounted_ = true;
        } else {
            error_ = std::strerror(errno);
        }
    }
    ~TmpfsMount() {
        if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

private:
    std::string path_;
    bool mounted_ = false;
    std::string error_;
};

// The fault-injecting FUSE file system over a backing folder.
class FaultFs {
public:
    FaultFs(const std::string& backing, const std::string& mountPoint, long long failAfter,
            double failSeconds)
        : mountPoint_(mountPoint) {
        const std::string program = std::string(FERROLIN_BIN_DIR) + "/ferrolin_fault_fs";
        if (access(program.c_str(), X_OK) != 0 || access("/dev/fuse", R_OK | W_OK) != 0) {
            error_ = "no FUSE helper or /dev/fuse";
            return;
        }
        std::filesystem::create_directories(mountPoint);
        pid_ = fork();
        if (pid_ == 0) {
            setenv("FAULT_AFTER_BYTES", std::to_string(failAfter).c_str(), 1);
            setenv("FAULT_SECONDS", std::to_string(failSeconds).c_str(), 1);
            execl(program.c_str(), program.c_str(), backing.c_str(), mountPoint.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        mounted_ = WaitFor(
            [&] {
                struct statfs fs {};
                return statfs(mountPoint.c_str(), &fs) == 0 && fs.f_type == 0x65735546;
            },
            std::chrono::seconds(10));
        if (!mounted_) error_ = "the FUSE mount was refused";
    }
    ~FaultFs() {
        if (mounted_) umount2(mountPoint_.c_str(), MNT_DETACH);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

private:
    std::string mountPoint_;
    pid_t pid_ = -1;
    bool mounted_ = false;
    std::string error_;
};

}  // namespace ferrolin::test
