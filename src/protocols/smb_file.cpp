#include "protocols/smb_file.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/file_time_units.h"

namespace ferrolin {

platform::FileInfo FileInfoFromStat(const struct stat& st) {
    platform::FileInfo info;
    info.Size = static_cast<int64_t>(st.st_size);
    info.Mode = st.st_mode & 07777;
    info.Regular = S_ISREG(st.st_mode);
    info.LastAccessTime = UnixToFileTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    info.LastWriteTime = UnixToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    info.CreationTime = info.LastWriteTime;
    return info;
}

SmbFile::SmbFile(std::shared_ptr<SmbConnection> connection, SMBCFILE* file)
    : connection_(std::move(connection)), file_(file) {}

SmbFile::~SmbFile() {
    // After an interrupt the server may not answer: the file is left to the context,
    // which forgets it with the dropped connection.
    if (connection_->Interrupted()) return;
    const int saved = errno;
    auto lock = connection_->Lock();
    connection_->Api().smbc_getFunctionClose(connection_->Context())(connection_->Context(), file_);
    errno = saved;
}

bool SmbFile::Refused() const {
    if (!connection_->Interrupted()) return false;
    errno = ECANCELED;
    return true;
}

int64_t SmbFile::ReadLocked(void* buffer, size_t size) {
    SMBCCTX* ctx = connection_->Context();
    const ssize_t n = connection_->Api().smbc_getFunctionRead(ctx)(ctx, file_, buffer, size);
    return n < 0 ? -1 : static_cast<int64_t>(n);
}

int64_t SmbFile::Read(void* buffer, size_t size) {
    if (Refused()) return -1;
    auto lock = connection_->Lock();
    return ReadLocked(buffer, size);
}

int64_t SmbFile::ReadFullAt(int64_t position, void* buffer, size_t size) {
    if (Refused()) return -1;
    auto lock = connection_->Lock();
    SMBCCTX* ctx = connection_->Context();
    auto lseek = connection_->Api().smbc_getFunctionLseek(ctx);
    // The position of sequential reads and writes is put back afterwards.
    const off_t saved = lseek(ctx, file_, 0, SEEK_CUR);
    if (saved < 0 || lseek(ctx, file_, static_cast<off_t>(position), SEEK_SET) < 0) return -1;
    size_t got = 0;
    auto* bytes = static_cast<char*>(buffer);
    int64_t result = 0;
    while (got < size) {
        const int64_t n = ReadLocked(bytes + got, size - got);
        if (n < 0) {
            result = -1;
            break;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    const int error = errno;
    lseek(ctx, file_, saved, SEEK_SET);
    errno = error;
    return result < 0 ? -1 : static_cast<int64_t>(got);
}

bool SmbFile::WriteAll(const void* buffer, size_t size) {
    if (Refused()) return false;
    auto lock = connection_->Lock();
    SMBCCTX* ctx = connection_->Context();
    auto write = connection_->Api().smbc_getFunctionWrite(ctx);
    const auto* bytes = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(ctx, file_, bytes + done, size - done);
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool SmbFile::Seek(int64_t position) {
    if (Refused()) return false;
    auto lock = connection_->Lock();
    SMBCCTX* ctx = connection_->Context();
    return connection_->Api().smbc_getFunctionLseek(ctx)(ctx, file_, static_cast<off_t>(position),
                                                         SEEK_SET) == static_cast<off_t>(position);
}

bool SmbFile::SetSize(int64_t size) {
    if (Refused()) return false;
    auto lock = connection_->Lock();
    SMBCCTX* ctx = connection_->Context();
    return connection_->Api().smbc_getFunctionFtruncate(ctx)(ctx, file_,
                                                             static_cast<off_t>(size)) == 0;
}

std::optional<platform::FileInfo> SmbFile::Info() const {
    if (Refused()) return std::nullopt;
    auto lock = connection_->Lock();
    SMBCCTX* ctx = connection_->Context();
    struct stat st {};
    if (connection_->Api().smbc_getFunctionFstat(ctx)(ctx, file_, &st) != 0) return std::nullopt;
    return FileInfoFromStat(st);
}

}  // namespace ferrolin
