#pragma once
// Facts about this computer and where a path lives.
#include <string>

namespace ferrolin::platform {

// This computer's host name; empty when the system does not tell.
std::string ComputerName();

// True when path (or, for a path that does not exist yet, its nearest existing folder)
// lies on a network file system: NFS, SMB/CIFS, AFS, Ceph, 9P, Coda, or a FUSE mount of
// a network kind (sshfs, rclone and the like).
bool IsOnNetworkFileSystem(const std::string& path);

// What kind of file system holds path (or its nearest existing folder): a kernel file
// system on this computer, a user-space (FUSE) one that is not known to reach another
// computer, or a network one as above; Unknown when the file system cannot be asked
// (IsOnNetworkFileSystem counts that as not a network).
enum class FileSystemKind { Local, UserSpace, Network, Unknown };
FileSystemKind FileSystemKindOf(const std::string& path);

}  // namespace ferrolin::platform
