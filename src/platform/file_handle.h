#pragma once
// An open file: one descriptor, closed by the destructor. The open functions map the
// sharing modes the program relies on to advisory flock locks: a reader takes a shared
// lock, a writer an exclusive one, and finding another holder's lock fails the open with
// ERROR_SHARING_VIOLATION. Share paths (//server/share/...) are never opened as local
// paths: every open of one fails with ERROR_SHARE_UNREACHABLE.
//
// Failures leave their code in errno (read it with LastError()), errno values or the
// program's named codes of platform/errors.h.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace ferrolin::platform {

// What the program reads from an open file.
struct FileInfo {
    int64_t Size = 0;
    uint32_t Mode = 0;  // permission bits (the program's "attributes")
    bool Regular = false;  // a plain file (not a folder, device or pipe)
    // 64-bit file times: 100-ns units since 1601-01-01 UTC. The creation time is the
    // birth time where the file system reports one, else the last-write time.
    int64_t CreationTime = 0;
    int64_t LastAccessTime = 0;
    int64_t LastWriteTime = 0;
};

class FileHandle {
public:
    FileHandle() = default;

    // An existing file for reading. With lockShared, another process's exclusive lock
    // (a writer at work) makes the open fail with ERROR_SHARING_VIOLATION.
    static FileHandle OpenRead(const std::string& path, bool lockShared = true);
    // An existing file for reading and writing, held exclusively.
    static FileHandle OpenReadWrite(const std::string& path);
    // Creates the file or cuts an existing one to zero, read-write, held exclusively.
    // With direct, writes bypass the page cache (O_DIRECT); where the file system refuses
    // that, the file is opened for ordinary writes and directRefused is set.
    static FileHandle CreateAlways(const std::string& path, bool direct = false,
                                   bool* directRefused = nullptr);

    // Takes over an open descriptor and, with lockMode (LOCK_SH or LOCK_EX), its lock as
    // the open functions take it; closed again when the lock is another holder's.
    static FileHandle Adopt(UniqueFd fd, int lockMode);

    bool IsOpen() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // Closes the file; errno stays as it was, so a failure can be reported after it.
    void Close();

    // Reads up to size bytes; -1 on failure. Retries interrupted calls.
    int64_t Read(void* buffer, size_t size);
    // Reads until size bytes arrived or the file ends; short only at the end. -1 on
    // failure. Network and FUSE file systems may return short reads in mid-file.
    int64_t ReadFull(void* buffer, size_t size);
    // Writes all size bytes; false (errno set) on failure.
    bool WriteAll(const void* buffer, size_t size);
    // Reads size bytes at position without moving the file position; short only at the
    // end of the file, -1 on failure.
    int64_t ReadFullAt(int64_t position, void* buffer, size_t size);
    bool Seek(int64_t position);
    // Sets the end of file (grows sparse or cuts).
    bool SetSize(int64_t size);
    std::optional<FileInfo> Info() const;

private:
    explicit FileHandle(int fd) : fd_(fd) {}
    static FileHandle OpenLocked(const std::string& path, int flags, int lockMode);
    UniqueFd fd_;
};

// Information of the file at path without opening it for data; nullopt on failure.
std::optional<FileInfo> GetFileInfo(const std::string& path);

// Permission bits of a file; false on failure.
bool SetFileMode(const std::string& path, uint32_t mode);

// True when the permission bits allow nobody to write ("read-only" attribute).
bool IsReadOnlyMode(uint32_t mode);
// The mode with the owner's write bit set again.
uint32_t WritableMode(uint32_t mode);

// Fails a share path with ERROR_SHARE_UNREACHABLE in errno; true when path was refused.
bool RefuseSharePath(const std::string& path);

}  // namespace ferrolin::platform
