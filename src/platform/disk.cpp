#include "platform/disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "platform/file_handle.h"

namespace ferrolin::platform {
namespace {

bool IsPowerOfTwo(uint64_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

int64_t DiskFreeBytes(const std::string& path) {
    if (RefuseSharePath(path)) return -1;
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return -1;
    return static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
}

uint32_t SectorSize(const std::string& folder) {
    if (RefuseSharePath(folder)) return 0;
    struct statx st {};
    if (statx(AT_FDCWD, folder.c_str(), 0, STATX_DIOALIGN, &st) == 0 &&
        (st.stx_mask & STATX_DIOALIGN) && IsPowerOfTwo(st.stx_dio_offset_align) &&
        st.stx_dio_offset_align <= 65536) {
        return st.stx_dio_offset_align;
    }
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) == 0 && IsPowerOfTwo(vfs.f_bsize) &&
        vfs.f_bsize <= 65536) {
        return static_cast<uint32_t>(vfs.f_bsize);
    }
    return 0;
}

}  // namespace ferrolin::platform
