#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_time_units.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin::platform {
namespace {

int64_t ToFileTime(const struct statx_timestamp& t) {
    return UnixToFileTime(t.tv_sec, t.tv_nsec);
}

std::optional<FileInfo> InfoFromStatx(int dirfd, const char* path, int flags) {
    struct statx st {};
    if (statx(dirfd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return std::nullopt;
    FileInfo info;
    info.Size = static_cast<int64_t>(st.stx_size);
    info.Mode = st.stx_mode & 07777;
    info.Regular = S_ISREG(st.stx_mode);
    info.LastAccessTime = ToFileTime(st.stx_atime);
    info.LastWriteTime = ToFileTime(st.stx_mtime);
    info.CreationTime =
        (st.stx_mask & STATX_BTIME) ? ToFileTime(st.stx_btime) : info.LastWriteTime;
    return info;
}

// Takes a lock without waiting. Another holder becomes a sharing violation; file systems
// without flock support do not stop the open.
bool TryLock(int fd, int lockMode) {
    if (flock(fd, lockMode | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK) {
        errno = ERROR_SHARING_VIOLATION;
        return false;
    }
    return true;
}

}  // namespace

bool RefuseSharePath(const std::string& path) {
    if (!IsSharePath(path)) return false;
    errno = ERROR_SHARE_UNREACHABLE;
    return true;
}

void FileHandle::Close() {
    const int saved = errno;
    fd_.reset();
    errno = saved;
}

FileHandle FileHandle::OpenLocked(const std::string& path, int flags, int lockMode) {
    if (RefuseSharePath(path)) return {};
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return {};
    FileHandle handle(fd);
    if (lockMode != 0 && !TryLock(fd, lockMode)) {
        handle.Close();
    }
    return handle;
}

FileHandle FileHandle::Adopt(UniqueFd fd, int lockMode) {
    FileHandle handle(fd.release());
    if (handle.IsOpen() && lockMode != 0 && !TryLock(handle.fd(), lockMode)) handle.Close();
    return handle;
}

FileHandle FileHandle::OpenRead(const std::string& path, bool lockShared) {
    return OpenLocked(path, O_RDONLY, lockShared ? LOCK_SH : 0);
}

FileHandle FileHandle::OpenReadWrite(const std::string& path) {
    return OpenLocked(path, O_RDWR, LOCK_EX);
}

FileHandle FileHandle::CreateAlways(const std::string& path, bool direct, bool* directRefused) {
    if (directRefused) *directRefused = false;
    // No O_TRUNC: the contents are cut only once the exclusive lock is ours, so a file
    // another process is writing is left alone.
    FileHandle handle;
    if (direct) {
        handle = OpenLocked(path, O_RDWR | O_CREAT | O_DIRECT, LOCK_EX);
        if (!handle.IsOpen() && errno == EINVAL) {
            // tmpfs and some FUSE file systems refuse O_DIRECT.
            if (directRefused) *directRefused = true;
            handle = OpenLocked(path, O_RDWR | O_CREAT, LOCK_EX);
        }
    } else {
        handle = OpenLocked(path, O_RDWR | O_CREAT, LOCK_EX);
    }
    // Cut only a file that has contents: ext4 treats a truncation to zero as a file being
    // replaced and flushes it to disk when it is closed, which would cost a new file the
    // whole write-back time.
    if (handle.IsOpen()) {
        auto info = handle.Info();
        if (!info || (info->Size != 0 && !handle.SetSize(0))) handle.Close();
    }
    return handle;
}

int64_t FileHandle::Read(void* buffer, size_t size) {
    for (;;) {
        ssize_t n = ::read(fd_.get(), buffer, size);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

int64_t FileHandle::ReadFull(void* buffer, size_t size) {
    size_t got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < size) {
        int64_t n = Read(bytes + got, size - got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

int64_t FileHandle::ReadFullAt(int64_t position, void* buffer, size_t size) {
    size_t got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < size) {
        const ssize_t n = ::pread(fd_.get(), bytes + got, size - got,
                                  static_cast<off_t>(position) + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

bool FileHandle::WriteAll(const void* buffer, size_t size) {
    const int32_t error = platform::WriteAll(fd_.get(), buffer, size);
    if (error != 0) errno = error;
    return error == 0;
}

bool FileHandle::Seek(int64_t position) {
    return ::lseek(fd_.get(), static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
}

bool FileHandle::SetSize(int64_t size) {
    for (;;) {
        if (::ftruncate(fd_.get(), static_cast<off_t>(size)) == 0) return true;
        if (errno != EINTR) return false;
    }
}

std::optional<FileInfo> FileHandle::Info() const {
    if (!fd_.valid()) {
        errno = EBADF;
        return std::nullopt;
    }
    return InfoFromStatx(fd_.get(), "", AT_EMPTY_PATH);
}

std::optional<FileInfo> GetFileInfo(const std::string& path) {
    if (RefuseSharePath(path)) return std::nullopt;
    return InfoFromStatx(AT_FDCWD, path.c_str(), 0);
}

bool SetFileMode(const std::string& path, uint32_t mode) {
    if (RefuseSharePath(path)) return false;
    return ::chmod(path.c_str(), static_cast<mode_t>(mode & 07777)) == 0;
}

bool IsReadOnlyMode(uint32_t mode) { return (mode & 0222) == 0; }

uint32_t WritableMode(uint32_t mode) { return mode | S_IWUSR; }

}  // namespace ferrolin::platform
