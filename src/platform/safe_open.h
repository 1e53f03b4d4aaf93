#pragma once
// Opening, creating and deleting files in folders that other people can write to (a
// job's destination, a source share) without being led elsewhere: a symbolic link is
// never written through, a pipe or device never holds an open, and subfolders are entered
// one by one relative to the folder above, never through a link.
//
// Failures leave their code in errno (platform::LastError()): errno values, or
// ERROR_NOT_REGULAR_FILE for a pipe, device or folder where a plain file was expected.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_handle.h"
#include "platform/unique_fd.h"

namespace ferrolin::platform {

// An existing plain file for reading, opened without waiting (a FIFO or a device fails
// with ERROR_NOT_REGULAR_FILE instead of blocking). With noFollow a symbolic link at the
// path fails with ELOOP. The lock as FileHandle::OpenRead.
FileHandle OpenRegularRead(const std::string& path, bool lockShared, bool noFollow);

// The file a copy writes, never through a symbolic link:
//  - fresh (a temporary file): created new (O_EXCL|O_NOFOLLOW) or not at all; anything
//    standing at the name (a file, a link) is left alone and the open fails with EEXIST;
//  - otherwise (written in place): an existing plain file is opened without following a
//    link and cut to zero once it is locked; a link standing at the name is replaced by a
//    new file; a pipe, device or folder fails with ERROR_NOT_REGULAR_FILE.
// direct and directRefused as FileHandle::CreateAlways.
FileHandle CreateCopyTarget(const std::string& path, bool fresh, bool direct = false,
                            bool* directRefused = nullptr);

// What stands at path, not following a final link.
enum class EntryKind { None, Regular, Link, Folder, Other };
EntryKind KindOfEntry(const std::string& path);

// One look at what stands at path, for the copier's check of a destination: opened
// without following a final link and without waiting on a pipe, measured on the open
// descriptor. kind is Link for a symbolic link (file closed), Regular for a plain file
// (file open for reads, shared-locked when lockShared; a lock held by another
// process closes it with ERROR_SHARING_VIOLATION), Other for a folder, pipe or device, None
// when nothing could be opened (errno says why).
struct EntryProbe {
    FileHandle file;
    EntryKind kind = EntryKind::None;
    FileInfo info;
};
EntryProbe ProbeEntry(const std::string& path, bool lockShared);

// Sets the last-access and last-write times (file times as in platform/file_times.h; a
// zero creation time sets no times, as SetFileTimes) and the permission bits on the
// plain file at path, opened without following a link. False when it could not.
bool SetTimesAndModeNoFollow(const std::string& path, int64_t creation, int64_t lastAccess,
                             int64_t lastWrite, uint32_t mode);
// Only the permission bits, the same way.
bool SetModeNoFollow(const std::string& path, uint32_t mode);

// Opens (with create, first makes) the folder relative below root, entering each level
// with openat and O_NOFOLLOW: a link standing where a subfolder belongs is removed and a
// real folder made in its place when create is set, and fails with ELOOP otherwise. An
// empty relative opens root itself; "." and ".." levels fail with EINVAL. Root itself is
// the folder the operator chose and is followed.
UniqueFd OpenFolderBelow(const std::string& root, std::string_view relative, bool create);

// Deletes the file relative below root, the folders on the way entered as above (never
// through a link). 0 or the errno value.
int32_t DeleteBelow(const std::string& root, std::string_view relative);

// True when both paths name the same file (device and inode; links followed).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace ferrolin::platform
