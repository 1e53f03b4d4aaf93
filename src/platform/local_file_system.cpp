#include "platform/local_file_system.h"

#include <cerrno>

#include "platform/disk.h"
#include "platform/fs.h"

namespace ferrolin::platform {

int64_t FsFile::ReadFull(void* buffer, size_t size) {
    size_t got = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (got < size) {
        const int64_t n = Read(bytes + got, size - got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got);
}

FsFilePtr LocalFile::From(FileHandle handle) {
    if (!handle.IsOpen()) return nullptr;
    return std::make_unique<LocalFile>(std::move(handle));
}

FsFilePtr LocalFileSystem::OpenRead(const std::string& path, bool lockShared) {
    return LocalFile::From(OpenRegularRead(path, lockShared, false));
}

FsFilePtr LocalFileSystem::OpenReadWrite(const std::string& path) {
    return LocalFile::From(FileHandle::OpenReadWrite(path));
}

FsFilePtr LocalFileSystem::CreateTarget(const std::string& path, bool fresh, bool direct) {
    return LocalFile::From(CreateCopyTarget(path, fresh, direct));
}

FsProbe LocalFileSystem::Probe(const std::string& path, bool lockShared) {
    EntryProbe probe = ProbeEntry(path, lockShared);
    FsProbe result;
    result.kind = probe.kind;
    result.info = probe.info;
    const int saved = errno;
    result.file = LocalFile::From(std::move(probe.file));
    errno = saved;
    return result;
}

std::optional<FileInfo> LocalFileSystem::Stat(const std::string& path) {
    return GetFileInfo(path);
}

bool LocalFileSystem::FolderExists(const std::string& path) {
    return DirectoryExists(path);
}

bool LocalFileSystem::ListFolder(const std::string& folder, bool details,
                                 const std::function<void(const DirEntryInfo&)>& visit,
                                 int32_t* errorCode) {
    return ForEachDirEntry(folder, details, visit, errorCode);
}

int32_t LocalFileSystem::Rename(const std::string& from, const std::string& to, bool replace) {
    return MoveFile(from, to, replace);
}

int32_t LocalFileSystem::Delete(const std::string& path) {
    return DeleteFile(path);
}

int32_t LocalFileSystem::DeleteBelow(const std::string& root, std::string_view relative) {
    return platform::DeleteBelow(root, relative);
}

int32_t LocalFileSystem::CreateFolders(const std::string& path) {
    return CreateDirectories(path);
}

bool LocalFileSystem::CreateFoldersBelow(const std::string& root, std::string_view relative) {
    return OpenFolderBelow(root, relative, true).valid();
}

bool LocalFileSystem::SetTimesAndMode(const std::string& path, int64_t creation, int64_t lastAccess,
                                      int64_t lastWrite, uint32_t mode) {
    return SetTimesAndModeNoFollow(path, creation, lastAccess, lastWrite, mode);
}

bool LocalFileSystem::SetMode(const std::string& path, uint32_t mode) {
    return SetModeNoFollow(path, mode);
}

int64_t LocalFileSystem::FreeBytes(const std::string& path) {
    return DiskFreeBytes(path);
}

int32_t LocalFileSystem::Flush(const std::string& path) {
    return FlushToDisk(path);
}

uint32_t LocalFileSystem::SectorSize(const std::string& folder) {
    return platform::SectorSize(folder);
}

}  // namespace ferrolin::platform
