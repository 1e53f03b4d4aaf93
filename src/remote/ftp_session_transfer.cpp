// Uploads, downloads and the file commands, with the progress shown meanwhile.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/datetime_format.h"
#include "platform/errors.h"
#include "platform/file_time_units.h"
#include "platform/unique_fd.h"
#include "protocols/cp1252.h"
#include "remote/ftp_session.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {

// Progress is shown (and messages pumped) at most this often: a loopback transfer calls
// back tens of thousands of times a second.
constexpr int64_t kShowEveryNs = 100'000'000;

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The text after the last "\" or, without one, after the last "/".
std::string FileNamePart(const std::string& path) {
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos) cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void FtpSession::WorkBegin() {
    transferring_ = true;
    abortTransfer_ = false;
    startTicks_ = SteadyNs();
    lastShownTicks_ = 0;
    transferKBps_ = 0;
    lastPercent_ = 0;
    stall_.Start();
    if (view_) view_->TransferRunningChanged(true);
}

bool FtpSession::Work(bool download, int64_t bytesDone, bool force) {
    const int64_t now = SteadyNs();
    if (force || now - lastShownTicks_ >= kShowEveryNs) {
        lastShownTicks_ = now;
        const double elapsed = static_cast<double>(now - startTicks_) / 1e9;
        if (elapsed > 0) transferKBps_ = static_cast<double>(bytesDone) / 1024.0 / elapsed;
        transferText_ = FormatTransferText(download, transferKBps_, bytesToTransfer_, bytesDone,
                                           Formats().DecimalSeparator);
        lastPercent_ = TransferPercent(bytesDone, bytesToTransfer_);
        if (view_) {
            view_->TransferTextChanged(transferText_);
            view_->ProgressChanged(lastPercent_);
        }
        ShowGauge(lastPercent_, transferText_);
        surfaces_->ProcessMessages();
        // No byte moved for five minutes: the transfer has stalled, whatever the server's
        // time-outs let through. (Bytes rather than whole percents, so that a huge file on
        // a slow line is not declared stalled between two percents.) Checked with the
        // display only: reading the clock on every callback would slow fast transfers.
        if (stall_.Stalled(bytesDone)) {
            lastError_ = "The transfer stalled";
            return false;
        }
    }
    return !CancelRequested();
}

void FtpSession::WorkEnd() {
    transferring_ = false;
    transferText_ = std::string(kFtpTransferComplete);
    bytesToTransfer_ = 0;
    transferKBps_ = 0;
    if (view_) {
        view_->TransferRunningChanged(false);
        view_->TransferTextChanged(transferText_);
        view_->ProgressChanged(0);
    }
}

FtpClient::Progress FtpSession::TransferProgress(bool download) {
    return [this, download](int64_t bytesDone) { return Work(download, bytesDone, false); };
}

bool FtpSession::UploadCounted(int64_t size,
                               const std::function<bool(const FtpClient::Progress&)>& upload) {
    if (!client_.IsOpen()) {
        lastError_ = "Not connected";
        return false;
    }
    WorkBegin();
    const bool ok = upload(TransferProgress(false));
    if (ok) Work(false, size, true);
    WorkEnd();
    return ok;
}

bool FtpSession::SendFile(const std::string& Source, const std::string& Dest, int64_t FileSize) {
    return Send(Source, Dest, FileSize, [&](const std::string& target) {
        platform::UniqueFd fd(::open(Source.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (!fd || ::fstat(fd.get(), &info) != 0) {
            lastError_ = std::strerror(errno);
            return false;
        }
        return UploadCounted(info.st_size, [&](const FtpClient::Progress& progress) {
            return client_.Upload(target, fd.get(), info.st_size, progress, lastError_);
        });
    });
}

bool FtpSession::SendFile(platform::FileSystem& fs, const std::string& Source,
                          const std::string& Dest, int64_t FileSize) {
    return Send(Source, Dest, FileSize, [&](const std::string& target) {
        platform::FsFilePtr file = fs.OpenRead(Source, false);
        const std::optional<platform::FileInfo> info =
            file ? file->Info() : std::optional<platform::FileInfo>();
        if (!info) {
            lastError_ = platform::ErrorMessage(platform::LastError());
            return false;
        }
        return UploadCounted(info->Size, [&](const FtpClient::Progress& progress) {
            return client_.Upload(target, *file, info->Size, progress, lastError_);
        });
    });
}

bool FtpSession::Send(const std::string& Source, const std::string& Dest, int64_t FileSize,
                      const std::function<bool(const std::string& target)>& upload) {
    const std::string failure = std::string(kFtpSendException);
    if (client_.Busy()) return Refuse(failure + "busy" + std::string(kFtpSendExceptionAt) + Source);
    BeginOperation();
    bytesToTransfer_ = FileSize;
    ShowGauge(0, FileNamePart(Source));
    bool ok = false;
    if (auto target = ServerPath(Dest)) ok = upload(*target);
    if (ok) {
        state_ = FtpOperationState::Done;
    } else {
        Fail(lastError_.empty() ? std::string(kFtpSendUnknown) + Source
                                : failure + lastError_ + std::string(kFtpSendExceptionAt) + Source);
    }
    AfterOperation();
    return WaitforSuccess(0);
}

bool FtpSession::ReceiveFile(const std::string& Source, const std::string& Dest, int64_t FileSize) {
    return ReceiveToPath(Source, Dest, FileSize, false);
}

bool FtpSession::ReceiveFile(const std::string& Source, platform::FsFile& Dest, int64_t FileSize) {
    return Receive(Source, FileSize, [&](const std::string& path) {
        WorkBegin();
        const bool ok = client_.Download(path, Dest, TransferProgress(true), lastError_);
        if (ok) {
            const std::optional<platform::FileInfo> info = Dest.Info();
            Work(true, info ? info->Size : FileSize, true);
        }
        WorkEnd();
        return ok;
    });
}

bool FtpSession::ResumeFile(const std::string& Source, const std::string& Dest, int64_t FileSize) {
    return ReceiveToPath(Source, Dest, FileSize, true);
}

bool FtpSession::ReceiveToPath(const std::string& Source, const std::string& Dest, int64_t FileSize,
                               bool resume) {
    platform::UniqueFd fd;
    const bool ok = Receive(Source, FileSize, [&](const std::string& path) {
        fd.reset(
            ::open(Dest.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (resume ? 0 : O_TRUNC), 0644));
        // A resume appends at the local file's end and starts the server there.
        const off_t kept = fd && resume ? ::lseek(fd.get(), 0, SEEK_END) : 0;
        if (!fd || kept < 0) {
            lastError_ = std::strerror(errno);
            return false;
        }
        WorkBegin();
        const bool done =
            client_.Download(path, fd.get(), TransferProgress(true), lastError_, kept);
        if (done) {
            struct stat info {};
            Work(true, ::fstat(fd.get(), &info) == 0 ? info.st_size - kept : FileSize, true);
        }
        WorkEnd();
        // A failed resume takes back what it appended: the file is as it was.
        if (!done && resume && ::ftruncate(fd.get(), kept) != 0) {
            lastError_ += std::string("; ") + std::strerror(errno);
        }
        return done;
    });
    if (ok && ::close(fd.release()) != 0) {
        lastError_ = std::strerror(errno);
        Fail(std::string(kFtpReceiveException) + Source);
        return false;
    }
    return ok;
}

bool FtpSession::Receive(const std::string& Source, int64_t FileSize,
                         const std::function<bool(const std::string& path)>& download) {
    const std::string failure = std::string(kFtpReceiveException) + Source;
    if (client_.Busy()) return Refuse(failure);
    BeginOperation();
    bytesToTransfer_ = FileSize;
    ShowGauge(0, Source.substr(Source.rfind('/') + 1));
    bool ok = false;
    if (!client_.IsOpen()) {
        lastError_ = "Not connected";
    } else if (auto path = ServerPath(Source)) {
        ok = download(*path);
    }
    if (ok) {
        state_ = FtpOperationState::Done;
    } else {
        Fail(failure);
    }
    AfterOperation();
    return WaitforSuccess(0);
}

bool FtpSession::RemoteFileFacts(const std::string& path, FtpFileFacts& facts) {
    return SimpleCommand([&](std::string& error) {
        auto target = ServerPath(path);
        return target && client_.FileFacts(*target, facts, PumpOnly(), error);
    });
}

bool FtpSession::SetRemoteFileTime(const std::string& path, int64_t fileTime) {
    return SimpleCommand([&](std::string& error) {
        auto target = ServerPath(path);
        const int64_t unixTime = (fileTime - kFileTimeUnixEpoch) / 10'000'000;
        return target && client_.SetModified(*target, unixTime, PumpOnly(), error);
    });
}

bool FtpSession::StillConnected() {
    return SimpleCommand([&](std::string& error) { return client_.Noop(PumpOnly(), error); });
}

bool FtpSession::DeleteFile(const std::string& Source, int TimeOut) {
    const std::string failure = std::string(kFtpDeleteException) + Source;
    return FileCommand(failure, TimeOut, [&] {
        auto path = ServerPath(Source);
        return path && client_.Delete(*path, PumpOnly(), lastError_);
    });
}

bool FtpSession::RenameFile(const std::string& Source, const std::string& Dest, int TimeOut) {
    const std::string failure =
        std::string(kFtpRenameException) + Source + std::string(kFtpRenameTo) + Dest;
    return FileCommand(failure, TimeOut, [&] {
        auto from = ServerPath(Source);
        auto to = from ? ServerPath(Dest) : std::nullopt;
        return to && client_.Rename(*from, *to, PumpOnly(), lastError_);
    });
}

bool FtpSession::FileCommand(const std::string& failure, int TimeOut,
                             const std::function<bool()>& command) {
    if (client_.Busy()) return Refuse(failure);
    BeginOperation();
    if (client_.IsOpen() && command()) {
        state_ = FtpOperationState::Done;
    } else {
        if (!client_.IsOpen()) lastError_ = "Not connected";
        Fail(failure);
    }
    AfterOperation();
    return WaitforSuccess(TimeOut);
}

// The window's folder and SITE commands: no status texts of their own; the window shows
// LastError().
bool FtpSession::MakeDir(const std::string& path) {
    return SimpleCommand([&](std::string& error) {
        auto target = ServerPath(path);
        return target && client_.MakeFolder(*target, PumpOnly(), error);
    });
}

bool FtpSession::RemoveDir(const std::string& path) {
    return SimpleCommand([&](std::string& error) {
        auto target = ServerPath(path);
        return target && client_.RemoveFolder(*target, PumpOnly(), error);
    });
}

bool FtpSession::SiteCommand(const std::string& command) {
    return SimpleCommand([&](std::string& error) {
        std::optional<std::string> bytes =
            client_.Features().utf8 ? std::optional<std::string>(command) : Utf8ToCp1252(command);
        if (!bytes) error = "The command cannot be written in the server's character set";
        return bytes && client_.Site(*bytes, PumpOnly(), error);
    });
}

bool FtpSession::SimpleCommand(const std::function<bool(std::string&)>& command) {
    if (client_.Busy()) {
        lastError_ = "Another FTP operation is still running";
        return false;
    }
    BeginOperation();
    bool ok = false;
    if (!client_.IsOpen()) {
        lastError_ = "Not connected";
    } else {
        ok = command(lastError_);
    }
    state_ = ok ? FtpOperationState::Done : FtpOperationState::Failed;
    AfterOperation();
    return ok;
}

}  // namespace ferrolin
