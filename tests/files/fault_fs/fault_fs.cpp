// A small FUSE file system for the copier's fault tests: it shows the files of a backing
// folder read-only, and once a read reaches a chosen offset, every read fails with EIO
// for a chosen time (or for ever), the way a share drops away and comes back.
//
// Usage: ferrolin_fault_fs BACKING MOUNTPOINT
// Environment: FAULT_AFTER_BYTES (offset that starts the fault, default 1 MiB),
//              FAULT_SECONDS (how long reads fail; negative = for ever; default 3).
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse3/fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::string g_backing;
long long g_failAfter = 1 << 20;
double g_failSeconds = 3;
std::mutex g_mutex;
bool g_faultStarted = false;
std::chrono::steady_clock::time_point g_faultStart;

std::string Backing(const char* path) { return g_backing + path; }

bool Failing(off_t offset) {
    std::lock_guard lock(g_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!g_faultStarted && offset >= g_failAfter) {
        g_faultStarted = true;
        g_faultStart = now;
    }
    if (!g_faultStarted) return false;
    if (g_failSeconds < 0) return true;
    return std::chrono::duration<double>(now - g_faultStart).count() < g_failSeconds;
}

int GetAttr(const char* path, struct stat* st, struct fuse_file_info*) {
    return lstat(Backing(path).c_str(), st) == 0 ? 0 : -errno;
}

int ReadDir(const char* path, void* buf, fuse_fill_dir_t filler, off_t, struct fuse_file_info*,
            enum fuse_readdir_flags) {
    DIR* dir = opendir(Backing(path).c_str());
    if (dir == nullptr) return -errno;
    while (struct dirent* e = readdir(dir)) {
        filler(buf, e->d_name, nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    }
    closedir(dir);
    return 0;
}

int Open(const char* path, struct fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    int fd = open(Backing(path).c_str(), O_RDONLY);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    fi->direct_io = 1;  // every read reaches this process, none is served from a cache
    return 0;
}

int Read(const char*, char* buf, size_t size, off_t offset, struct fuse_file_info* fi) {
    if (Failing(offset)) return -EIO;
    ssize_t n = pread(static_cast<int>(fi->fh), buf, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int Release(const char*, struct fuse_file_info* fi) {
    close(static_cast<int>(fi->fh));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s BACKING MOUNTPOINT\n", argv[0]);
        return 2;
    }
    g_backing = argv[1];
    if (const char* v = getenv("FAULT_AFTER_BYTES")) g_failAfter = atoll(v);
    if (const char* v = getenv("FAULT_SECONDS")) g_failSeconds = atof(v);

    struct fuse_operations ops {};
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.read = Read;
    ops.release = Release;
    char* fuseArgv[] = {argv[0], const_cast<char*>("-f"), const_cast<char*>("-s"), argv[2]};
    return fuse_main(4, fuseArgv, &ops, nullptr);
}
