#include "platform/whole_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

namespace {

FileStamp StampOf(const struct stat& st) {
    FileStamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// The file a link points at, so the link itself survives the replacement.
std::string ResolveTarget(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

}  // namespace

int32_t ReadWholeFile(const std::string& path, std::string& content, FileStamp* stamp) {
    content.clear();
    if (IsSharePath(path)) return ERROR_SHARE_UNREACHABLE;
    int fd;
    do {
        // Without waiting: a FIFO in the file's place must not hold the program.
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno;
    UniqueFd file(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return ERROR_NOT_REGULAR_FILE;
    if (st.st_size > kMaxWholeFileSize) return ERROR_FILE_TOO_LARGE;
    if (st.st_size > 0) content.reserve(static_cast<size_t>(st.st_size));
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            int32_t error = errno;
            content.clear();
            return error;
        }
        if (n == 0) break;
        content.append(buffer.data(), static_cast<size_t>(n));
        if (content.size() > static_cast<size_t>(kMaxWholeFileSize)) {
            // It grew while being read.
            content.clear();
            return ERROR_FILE_TOO_LARGE;
        }
    }
    if (stamp != nullptr) *stamp = StampOf(st);
    return 0;
}

int32_t WholeFileProblem(const std::string& path) {
    struct stat st;
    if (IsSharePath(path) || ::stat(path.c_str(), &st) != 0) return 0;
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? 0 : ERROR_NOT_REGULAR_FILE;
    return st.st_size > kMaxWholeFileSize ? ERROR_FILE_TOO_LARGE : 0;
}

bool GetFileStamp(const std::string& path, FileStamp& stamp) {
    if (IsSharePath(path)) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp = StampOf(st);
    return true;
}

int32_t ReplaceWholeFile(const std::string& path, std::string_view content, FileStamp* stamp,
                         FileAccess access) {
    if (IsSharePath(path)) return ERROR_SHARE_UNREACHABLE;
    const std::string target = ResolveTarget(path);
    std::string base = target.substr(target.rfind(kPathSeparator) + 1);
    std::string tempName = JoinPath(FolderOf(target), "." + base + ".XXXXXX");

    int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    UniqueFd file(fd);
    bool renamed = false;
    // Whatever happens below, no temporary file stays behind.
    struct TempCleanup {
        const std::string& name;
        const bool& renamed;
        ~TempCleanup() {
            if (!renamed) ::unlink(name.c_str());
        }
    } cleanup{tempName, renamed};

    const mode_t widest = access == FileAccess::Private ? 0600 : 07777;
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & widest);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner of the file may keep its owner; the content matters more.
        }
    } else {
        ::fchmod(fd, access == FileAccess::Private ? 0600 : 0644);
    }

    if (int32_t error = WriteAll(fd, content.data(), content.size())) return error;
    if (::fsync(fd) != 0) return errno;
    struct stat written;
    if (::fstat(fd, &written) != 0) return errno;
    // A delayed write error shows at close.
    if (::close(file.release()) != 0) return errno;
    if (::rename(tempName.c_str(), target.c_str()) != 0) return errno;
    renamed = true;
    if (stamp != nullptr) *stamp = StampOf(written);
    return 0;
}

}  // namespace ferrolin::platform
