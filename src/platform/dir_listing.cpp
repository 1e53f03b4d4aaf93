#include "platform/dir_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/errors.h"
#include "platform/path.h"

namespace ferrolin::platform {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

void SetError(int32_t* errorCode, int32_t value) {
    if (errorCode != nullptr) *errorCode = value;
}

void TakeSizeAndTime(const struct stat& st, DirEntryInfo& info) {
    info.size = st.st_size;
    info.mtimeSeconds = st.st_mtim.tv_sec;
    info.mtimeNanoseconds = st.st_mtim.tv_nsec;
}

// The folder opened for reading its entries; empty, with the reason in errorCode, when it
// cannot be.
std::unique_ptr<DIR, DirCloser> OpenFolder(const std::string& folder, int32_t* errorCode) {
    // Share paths are never read as local paths: there is no local stand-in for them.
    if (IsSharePath(folder)) {
        SetError(errorCode, ERROR_SHARE_UNREACHABLE);
        return nullptr;
    }
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        SetError(errorCode, errno);
        return nullptr;
    }
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        SetError(errorCode, errno);
        close(fd);
    }
    return dir;
}

// What one entry is: its type as the folder lists it; where the folder does not tell it
// (and for a file's size and time when details are asked) the entry itself is looked at.
void DescribeEntry(DIR* dir, const dirent& entry, bool details, DirEntryInfo& info) {
    const char* name = entry.d_name;
    info.name.assign(name);
    info.isDirectory = entry.d_type == DT_DIR;
    info.isFile = entry.d_type == DT_REG;
    info.size = 0;
    info.mtimeSeconds = 0;
    info.mtimeNanoseconds = 0;
    const bool typeKnown = entry.d_type == DT_DIR || entry.d_type == DT_REG;
    if (typeKnown && !(details && info.isFile)) return;
    // Links are followed so that a link to a file counts as that file; a link to a folder
    // stays a non-folder, so the recursive listing can never loop.
    struct stat st {};
    if (fstatat(dirfd(dir), name, &st, 0) != 0) {
        info.isFile = false;
        info.isDirectory = false;
        return;
    }
    info.isFile = S_ISREG(st.st_mode);
    info.isDirectory = entry.d_type == DT_UNKNOWN && S_ISDIR(st.st_mode);
    if (entry.d_type == DT_UNKNOWN && S_ISDIR(st.st_mode)) {
        struct stat lst {};
        if (fstatat(dirfd(dir), name, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode))
            info.isDirectory = false;
    }
    TakeSizeAndTime(st, info);
}

}  // namespace

bool ForEachDirEntry(const std::string& folder, bool details,
                     const std::function<void(const DirEntryInfo&)>& visit, int32_t* errorCode) {
    SetError(errorCode, 0);
    const std::unique_ptr<DIR, DirCloser> dir = OpenFolder(folder, errorCode);
    if (!dir) return false;
    DirEntryInfo info;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr) {
            if (errno != 0) {
                SetError(errorCode, errno);
                return false;
            }
            return true;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        DescribeEntry(dir.get(), *entry, details, info);
        visit(info);
    }
}

bool ReadFileDetails(const std::string& path, DirEntryInfo& info, int32_t* errorCode) {
    SetError(errorCode, 0);
    if (IsSharePath(path)) {
        SetError(errorCode, ERROR_SHARE_UNREACHABLE);
        return false;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        SetError(errorCode, errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        SetError(errorCode, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    const size_t slash = path.rfind(kPathSeparator);
    info.name = slash == std::string::npos ? path : path.substr(slash + 1);
    info.isFile = true;
    info.isDirectory = false;
    TakeSizeAndTime(st, info);
    return true;
}

}  // namespace ferrolin::platform
