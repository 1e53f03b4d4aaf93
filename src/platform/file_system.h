#pragma once
// The file operations a job needs, behind one interface, so the copier, the listings, the
// mirror step and the delayed deletions work the same on a local disk and on a network
// share. LocalFileSystem (local_file_system.h) is the local disk; the share side lives
// with the protocol clients and is handed down through FileSystems (file_systems.h).
//
// Failures leave their code in errno (LastError()), as the local functions do: errno
// values or the program's named codes of platform/errors.h.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dir_listing.h"
#include "platform/file_handle.h"
#include "platform/safe_open.h"

namespace ferrolin::platform {

// One open file. The position moves with Read and WriteAll; ReadFullAt leaves it alone.
class FsFile {
  public:
    virtual ~FsFile() = default;
    // Up to size bytes; -1 on failure.
    virtual int64_t Read(void* buffer, size_t size) = 0;
    // Until size bytes arrived or the file ends; -1 on failure.
    virtual int64_t ReadFull(void* buffer, size_t size);
    virtual int64_t ReadFullAt(int64_t position, void* buffer, size_t size) = 0;
    virtual bool WriteAll(const void* buffer, size_t size) = 0;
    virtual bool Seek(int64_t position) = 0;
    virtual bool SetSize(int64_t size) = 0;
    virtual std::optional<FileInfo> Info() const = 0;
    // The descriptor of a file on this computer's disks (the worker hands two of them to
    // copy_file_range); -1 for a file on a share.
    virtual int LocalFd() const { return -1; }
};

using FsFilePtr = std::unique_ptr<FsFile>;

// ProbeEntry's answer through the interface.
struct FsProbe {
    FsFilePtr file;  // open for reading when kind is Regular
    EntryKind kind = EntryKind::None;
    FileInfo info;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True for this computer's disks: a copy between two local files may use the kernel's
    // copy, and local-only checks (locks, mounts) apply.
    virtual bool IsLocal() const = 0;

    // An existing plain file for reading (OpenRegularRead).
    virtual FsFilePtr OpenRead(const std::string& path, bool lockShared) = 0;
    // An existing file for reading and writing, held exclusively.
    virtual FsFilePtr OpenReadWrite(const std::string& path) = 0;
    // The file a copy writes (CreateCopyTarget): fresh = a temporary file made new.
    virtual FsFilePtr CreateTarget(const std::string& path, bool fresh, bool direct) = 0;
    // What stands at path, a plain file opened for reading (ProbeEntry).
    virtual FsProbe Probe(const std::string& path, bool lockShared) = 0;
    // Size, times and mode without opening the file for data; links followed.
    virtual std::optional<FileInfo> Stat(const std::string& path) = 0;
    virtual bool FolderExists(const std::string& path) = 0;

    // The entries of one folder (ForEachDirEntry).
    virtual bool ListFolder(const std::string& folder, bool details,
                            const std::function<void(const DirEntryInfo&)>& visit,
                            int32_t* errorCode) = 0;

    // 0 or the error code.
    virtual int32_t Rename(const std::string& from, const std::string& to, bool replace) = 0;
    virtual int32_t Delete(const std::string& path) = 0;
    // Deletes the file relative below root, never through a link on the way.
    virtual int32_t DeleteBelow(const std::string& root, std::string_view relative) = 0;
    // The folder and any missing parents; an existing folder is success.
    virtual int32_t CreateFolders(const std::string& path) = 0;
    // Makes the folders relative below root, never through a link (OpenFolderBelow).
    virtual bool CreateFoldersBelow(const std::string& root, std::string_view relative) = 0;

    // Last-access and last-write times and the permission bits (SetTimesAndModeNoFollow).
    virtual bool SetTimesAndMode(const std::string& path, int64_t creation, int64_t lastAccess,
                                 int64_t lastWrite, uint32_t mode) = 0;
    virtual bool SetMode(const std::string& path, uint32_t mode) = 0;

    // The file (or folder) at path on stable storage; 0 or the error code. A share has no
    // such request: each write there was confirmed by the server, so the default is done.
    virtual int32_t Flush(const std::string& /*path*/) { return 0; }

    // Bytes free for this user where path lies; -1 when unknown.
    virtual int64_t FreeBytes(const std::string& path) = 0;
    // Write granularity for unbuffered writes; 0 when there is none.
    virtual uint32_t SectorSize(const std::string& folder) = 0;
};

}  // namespace ferrolin::platform
