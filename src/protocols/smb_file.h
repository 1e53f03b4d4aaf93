#pragma once
// An open file on a share behind the FsFile interface. It keeps its connection alive
// while it is open, and closes the remote file when destroyed.
#include <memory>

#include "platform/file_system.h"
#include "protocols/smb_connection.h"

namespace ferrolin {

// A stat result of libsmbclient in the program's form (times as 64-bit file times; a
// share gives no birth time, so the creation time is the last-write time).
platform::FileInfo FileInfoFromStat(const struct stat& st);

class SmbFile : public platform::FsFile {
  public:
    SmbFile(std::shared_ptr<SmbConnection> connection, SMBCFILE* file);
    ~SmbFile() override;
    SmbFile(const SmbFile&) = delete;
    SmbFile& operator=(const SmbFile&) = delete;

    int64_t Read(void* buffer, size_t size) override;
    int64_t ReadFullAt(int64_t position, void* buffer, size_t size) override;
    bool WriteAll(const void* buffer, size_t size) override;
    bool Seek(int64_t position) override;
    bool SetSize(int64_t size) override;
    std::optional<platform::FileInfo> Info() const override;

  private:
    // True (errno ECANCELED) when the connection was interrupted: no call may start.
    bool Refused() const;
    int64_t ReadLocked(void* buffer, size_t size);

    std::shared_ptr<SmbConnection> connection_;
    SMBCFILE* file_;
};

}  // namespace ferrolin
