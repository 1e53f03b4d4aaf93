#pragma once
// This computer's disks behind the FileSystem interface: the same calls the program made
// before there was an interface (safe_open, fs, disk, dir_listing), so a local copy costs
// nothing more. Holds no state; a share path given to it fails with
// ERROR_SHARE_UNREACHABLE, as the local functions do.
#include "platform/file_system.h"

namespace ferrolin::platform {

// An open local file: a FileHandle behind the FsFile interface.
class LocalFile : public FsFile {
  public:
    explicit LocalFile(FileHandle handle) : handle_(std::move(handle)) {}
    int64_t Read(void* buffer, size_t size) override { return handle_.Read(buffer, size); }
    int64_t ReadFull(void* buffer, size_t size) override { return handle_.ReadFull(buffer, size); }
    int64_t ReadFullAt(int64_t position, void* buffer, size_t size) override {
        return handle_.ReadFullAt(position, buffer, size);
    }
    bool WriteAll(const void* buffer, size_t size) override {
        return handle_.WriteAll(buffer, size);
    }
    bool Seek(int64_t position) override { return handle_.Seek(position); }
    bool SetSize(int64_t size) override { return handle_.SetSize(size); }
    std::optional<FileInfo> Info() const override { return handle_.Info(); }
    int LocalFd() const override { return handle_.fd(); }

    // Null when the handle did not open (errno kept).
    static FsFilePtr From(FileHandle handle);

  private:
    FileHandle handle_;
};

class LocalFileSystem : public FileSystem {
  public:
    bool IsLocal() const override { return true; }
    FsFilePtr OpenRead(const std::string& path, bool lockShared) override;
    FsFilePtr OpenReadWrite(const std::string& path) override;
    FsFilePtr CreateTarget(const std::string& path, bool fresh, bool direct) override;
    FsProbe Probe(const std::string& path, bool lockShared) override;
    std::optional<FileInfo> Stat(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool ListFolder(const std::string& folder, bool details,
                    const std::function<void(const DirEntryInfo&)>& visit,
                    int32_t* errorCode) override;
    int32_t Rename(const std::string& from, const std::string& to, bool replace) override;
    int32_t Delete(const std::string& path) override;
    int32_t DeleteBelow(const std::string& root, std::string_view relative) override;
    int32_t CreateFolders(const std::string& path) override;
    bool CreateFoldersBelow(const std::string& root, std::string_view relative) override;
    bool SetTimesAndMode(const std::string& path, int64_t creation, int64_t lastAccess,
                         int64_t lastWrite, uint32_t mode) override;
    bool SetMode(const std::string& path, uint32_t mode) override;
    int32_t Flush(const std::string& path) override;
    int64_t FreeBytes(const std::string& path) override;
    uint32_t SectorSize(const std::string& folder) override;
};

}  // namespace ferrolin::platform
