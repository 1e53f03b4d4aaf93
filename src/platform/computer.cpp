#include "platform/computer.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>


namespace ferrolin::platform {
namespace {

constexpr long kNfs = 0x6969;
constexpr long kSmb = 0x517B;
constexpr long kCifs = 0xFF534D42;
constexpr long kSmb2 = 0xFE534D42;
constexpr long kAfs = 0x5346414F;
constexpr long kCeph = 0x00C36400;
constexpr long kV9fs = 0x01021997;
constexpr long kCoda = 0x73757245;
constexpr long kFuse = 0x65735546;

// The FUSE file-system types that reach another computer.
bool IsNetworkFuseType(const std::string& type) {
    static const char* const kTypes[] = {"fuse.sshfs",  "fuse.smbnetfs", "fuse.curlftpfs",
                                         "fuse.s3fs",   "fuse.rclone",   "fuse.gcsfuse",
                                         "fuse.davfs",  "fuse.glusterfs", "fuse.ceph-fuse",
                                         "fuse.afpfs",  "fuse.cifs"};
    for (const char* t : kTypes) {
        if (type == t) return true;
    }
    return false;
}

// The nearest existing folder at or above path.
std::string ExistingAncestor(std::string path) {
    while (!path.empty()) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) return path;
        const size_t pos = path.find_last_of('/');
        if (pos == std::string::npos) return ".";
        path = pos == 0 ? "/" : path.substr(0, pos);
    }
    return ".";
}

// The file-system type of the mount that holds the resolved path, from mountinfo.
std::string MountType(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return {};
    const std::string full = resolved;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    std::string bestType;
    size_t bestLength = 0;
    while (std::getline(mounts, line)) {
        // id parent major:minor root mountpoint options [optional...] - type source ...
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint, field;
        fields >> id >> parent >> device >> root >> mountPoint;
        while (fields >> field && field != "-") {
        }
        std::string type;
        fields >> type;
        const bool covers =
            full == mountPoint || mountPoint == "/" ||
            (full.compare(0, mountPoint.size(), mountPoint) == 0 &&
             full.size() > mountPoint.size() && full[mountPoint.size()] == '/');
        if (covers && mountPoint.size() >= bestLength) {
            bestLength = mountPoint.size();
            bestType = type;
        }
    }
    return bestType;
}

}  // namespace

std::string ComputerName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

FileSystemKind FileSystemKindOf(const std::string& path) {
    if (path.empty()) return FileSystemKind::Unknown;
    const std::string existing = ExistingAncestor(path);
    struct statfs fs {};
    if (::statfs(existing.c_str(), &fs) != 0) return FileSystemKind::Unknown;
    switch (static_cast<long>(fs.f_type)) {
        case kNfs:
        case kSmb:
        case kCifs:
        case kSmb2:
        case kAfs:
        case kCeph:
        case kV9fs:
        case kCoda:
            return FileSystemKind::Network;
        case kFuse:
            return IsNetworkFuseType(MountType(existing)) ? FileSystemKind::Network
                                                         : FileSystemKind::UserSpace;
        default:
            return FileSystemKind::Local;
    }
}

bool IsOnNetworkFileSystem(const std::string& path) {
    return FileSystemKindOf(path) == FileSystemKind::Network;
}

}  // namespace ferrolin::platform
