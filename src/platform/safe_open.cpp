#include "platform/safe_open.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_time_units.h"
#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin::platform {
namespace {

constexpr int kProbeFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

int OpenRetrying(int dirfd, const char* path, int flags, mode_t mode = 0666) {
    int fd;
    do {
        fd = ::openat(dirfd, path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Keeps only plain files. O_NONBLOCK, which kept the open from waiting on a pipe, stays
// set: reads and writes of a plain file never wait less for it, and clearing it would
// cost two calls for every file a run opens.
UniqueFd OnlyRegular(UniqueFd fd) {
    if (!fd) return fd;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return UniqueFd();
    if (!S_ISREG(st.st_mode)) {
        fd.reset();
        errno = ERROR_NOT_REGULAR_FILE;
        return fd;
    }
    return fd;
}

// A plain file for setting its times and mode: read access where the mode allows it,
// else write access (a file the owner may only write).
UniqueFd OpenForAttributes(const std::string& path) {
    UniqueFd fd(OpenRetrying(AT_FDCWD, path.c_str(), O_RDONLY | O_NOFOLLOW | kProbeFlags));
    if (!fd && errno == EACCES)
        fd.reset(OpenRetrying(AT_FDCWD, path.c_str(), O_WRONLY | O_NOFOLLOW | kProbeFlags));
    return OnlyRegular(std::move(fd));
}

// Enters (and with create, makes) one folder level below dirfd without following a link.
UniqueFd EnterLevel(int dirfd, const std::string& name, bool create) {
    if (name == "." || name == "..") {
        errno = EINVAL;
        return UniqueFd();
    }
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    UniqueFd fd(OpenRetrying(dirfd, name.c_str(), kFlags));
    if (fd || !create) return fd;
    const int error = errno;
    if (error == ELOOP || error == ENOTDIR) {
        // Only a link is replaced; a file or anything else in the way stays an error.
        struct stat st {};
        if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
            errno = error;
            return fd;
        }
        if (::unlinkat(dirfd, name.c_str(), 0) != 0) return fd;
    } else if (error != ENOENT) {
        return fd;
    }
    if (::mkdirat(dirfd, name.c_str(), 0777) != 0 && errno != EEXIST) return fd;
    fd.reset(OpenRetrying(dirfd, name.c_str(), kFlags));
    return fd;
}

}  // namespace

FileHandle OpenRegularRead(const std::string& path, bool lockShared, bool noFollow) {
    if (RefuseSharePath(path)) return {};
    const int flags = O_RDONLY | kProbeFlags | (noFollow ? O_NOFOLLOW : 0);
    UniqueFd fd = OnlyRegular(UniqueFd(OpenRetrying(AT_FDCWD, path.c_str(), flags)));
    if (!fd) return {};
    return FileHandle::Adopt(std::move(fd), lockShared ? LOCK_SH : 0);
}

FileHandle CreateCopyTarget(const std::string& path, bool fresh, bool direct,
                            bool* directRefused) {
    if (directRefused) *directRefused = false;
    if (RefuseSharePath(path)) return {};
    // A fresh file is made new or not at all: whatever stands at its name (a file of the
    // same name, another copy's temporary, a link) is left alone and the caller takes
    // another name.
    const EntryKind kind = fresh ? EntryKind::None : KindOfEntry(path);
    if (kind == EntryKind::Folder || kind == EntryKind::Other) {
        errno = ERROR_NOT_REGULAR_FILE;
        return {};
    }
    // A link is removed, never followed.
    if (kind == EntryKind::Link && ::unlink(path.c_str()) != 0 && errno != ENOENT) return {};

    int flags = O_RDWR | O_CREAT | O_NOFOLLOW | kProbeFlags;
    if (fresh) flags |= O_EXCL;
    UniqueFd fd;
    if (direct) {
        fd.reset(OpenRetrying(AT_FDCWD, path.c_str(), flags | O_DIRECT));
        if (!fd && errno == EINVAL) {
            // tmpfs and some FUSE file systems refuse O_DIRECT, some only after creating
            // the file: a new file of ours is taken away again before the plain create.
            if (directRefused) *directRefused = true;
            if (fresh) ::unlink(path.c_str());
        }
    }
    if (!fd) fd.reset(OpenRetrying(AT_FDCWD, path.c_str(), flags));
    fd = OnlyRegular(std::move(fd));
    if (!fd) return {};
    FileHandle handle = FileHandle::Adopt(std::move(fd), LOCK_EX);
    // Cut an old file only once the exclusive lock is ours (and only when it has contents;
    // see FileHandle::CreateAlways).
    if (handle.IsOpen()) {
        auto info = handle.Info();
        if (!info || (info->Size != 0 && !handle.SetSize(0))) handle.Close();
    }
    return handle;
}

EntryKind KindOfEntry(const std::string& path) {
    struct stat st {};
    if (IsSharePath(path) || ::lstat(path.c_str(), &st) != 0) return EntryKind::None;
    if (S_ISREG(st.st_mode)) return EntryKind::Regular;
    if (S_ISLNK(st.st_mode)) return EntryKind::Link;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

EntryProbe ProbeEntry(const std::string& path, bool lockShared) {
    EntryProbe probe;
    if (RefuseSharePath(path)) return probe;
    UniqueFd fd(OpenRetrying(AT_FDCWD, path.c_str(), O_RDONLY | O_NOFOLLOW | kProbeFlags));
    if (!fd) {
        if (errno == ELOOP) probe.kind = EntryKind::Link;
        return probe;
    }
    FileHandle file = FileHandle::Adopt(std::move(fd), 0);
    const std::optional<FileInfo> info = file.Info();
    if (!info) return probe;
    if (!info->Regular) {
        probe.kind = EntryKind::Other;
        return probe;
    }
    probe.kind = EntryKind::Regular;
    probe.info = *info;
    // O_NONBLOCK stays: it changes nothing for reads of a plain file, and clearing it
    // would cost a call for every destination a run looks at.
    // The lock as FileHandle::OpenRead takes it: another holder is a sharing violation,
    // a file system without flock does not stop the look.
    if (lockShared && ::flock(file.fd(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        file.Close();
        errno = ERROR_SHARING_VIOLATION;
        return probe;
    }
    probe.file = std::move(file);
    return probe;
}

bool SetTimesAndModeNoFollow(const std::string& path, int64_t creation, int64_t lastAccess,
                             int64_t lastWrite, uint32_t mode) {
    if (RefuseSharePath(path)) return false;
    UniqueFd fd = OpenForAttributes(path);
    if (!fd) return false;
    bool ok = true;
    if (creation != 0) {
        const struct timespec ts[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
        ok = ::futimens(fd.get(), ts) == 0;
    }
    return ::fchmod(fd.get(), static_cast<mode_t>(mode & 07777)) == 0 && ok;
}

bool SetModeNoFollow(const std::string& path, uint32_t mode) {
    if (RefuseSharePath(path)) return false;
    UniqueFd fd = OpenForAttributes(path);
    return fd && ::fchmod(fd.get(), static_cast<mode_t>(mode & 07777)) == 0;
}

UniqueFd OpenFolderBelow(const std::string& root, std::string_view relative, bool create) {
    if (RefuseSharePath(root)) return UniqueFd();
    UniqueFd fd(OpenRetrying(AT_FDCWD, root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    size_t pos = 0;
    while (fd && pos < relative.size()) {
        size_t end = relative.find(kPathSeparator, pos);
        if (end == std::string_view::npos) end = relative.size();
        if (end > pos) fd = EnterLevel(fd.get(), std::string(relative.substr(pos, end - pos)), create);
        pos = end + 1;
    }
    return fd;
}

int32_t DeleteBelow(const std::string& root, std::string_view relative) {
    const size_t slash = relative.rfind(kPathSeparator);
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
    const std::string name(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
    if (name.empty() || name == "." || name == "..") return EINVAL;
    UniqueFd fd = OpenFolderBelow(root, folder, false);
    if (!fd) return errno;
    return ::unlinkat(fd.get(), name.c_str(), 0) == 0 ? 0 : errno;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    if (IsSharePath(a) || IsSharePath(b)) return false;
    if (::stat(a.c_str(), &x) != 0 || ::stat(b.c_str(), &y) != 0) return false;
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

}  // namespace ferrolin::platform
