#include "platform/fs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/errors.h"
#include "platform/path.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

namespace {

// Sets errno for a share path so queries report it like any other failure.
bool RefuseShare(const std::string& path) {
    if (!IsSharePath(path)) return false;
    errno = ERROR_SHARE_UNREACHABLE;
    return true;
}

bool StatOf(const std::string& path, struct stat& st) {
    if (RefuseShare(path)) return false;
    return ::stat(path.c_str(), &st) == 0;
}

// Copies a regular file to a fresh temporary name beside the target, then renames it into
// place, so a half-copied target never appears under the real name.
int32_t CopyAcross(const std::string& from, const std::string& to, bool replaceExisting) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) return errno;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EXDEV;  // folders are not moved across file systems

    const std::string temp = to + ".moving";
    UniqueFd out(
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777));
    if (!out) return errno;

    std::vector<char> buffer(1 << 16);
    int32_t error = 0;
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) break;
        if ((error = WriteAll(out.get(), buffer.data(), static_cast<size_t>(n))) != 0) break;
    }
    if (error == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0) error = errno;
    }
    out.reset();
    if (error == 0 && !replaceExisting && ::access(to.c_str(), F_OK) == 0) error = EEXIST;
    if (error == 0 && ::rename(temp.c_str(), to.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    // The copy is complete under its real name; only now may the source go.
    if (::unlink(from.c_str()) != 0) return errno;
    return 0;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

std::optional<int64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (!StatOf(path, st)) return std::nullopt;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    return static_cast<int64_t>(st.st_size);
}

int32_t MoveFile(const std::string& from, const std::string& to, bool replaceExisting) {
    if (IsSharePath(from) || IsSharePath(to)) return ERROR_SHARE_UNREACHABLE;
    int result;
    if (replaceExisting) {
        result = ::rename(from.c_str(), to.c_str());
    } else {
        result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // File systems without no-replace renames: check first, then rename.
            if (::access(to.c_str(), F_OK) == 0) return EEXIST;
            result = ::rename(from.c_str(), to.c_str());
        }
    }
    if (result == 0) return 0;
    if (errno == EXDEV) return CopyAcross(from, to, replaceExisting);
    return errno;
}

int32_t DeleteFile(const std::string& path) {
    if (IsSharePath(path)) return ERROR_SHARE_UNREACHABLE;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int32_t CreateDirectories(const std::string& path) {
    if (IsSharePath(path)) return ERROR_SHARE_UNREACHABLE;
    if (path.empty()) return ENOENT;
    // Walk the path from the top, creating each missing folder.
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != kPathSeparator) continue;
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    }
    return DirectoryExists(path) ? 0 : ENOTDIR;
}

int32_t FlushToDisk(const std::string& path) {
    if (IsSharePath(path)) return ERROR_SHARE_UNREACHABLE;
    // Read access is enough for fsync; no blocking open should a pipe stand there.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

int32_t WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace ferrolin::platform
