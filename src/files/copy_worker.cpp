#include "files/copy_worker.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <memory>

#include "files/copy_status.h"
#include "platform/errors.h"
#include "platform/file_system.h"

namespace ferrolin {

namespace {

int64_t SteadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// copy_file_range cannot serve this pair of files (other file system, old kernel,
// special file): the worker goes on with read and write from the same positions.
bool NeedsReadWriteFallback(int error) {
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
           error == EBADF;
}

}  // namespace

std::string FileNamePart(const std::string& path) {
    size_t pos = path.find_last_of('\\');
    if (pos == std::string::npos) pos = path.find_last_of('/');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

uint32_t CopyProgressRoutine(CopyContext& Context, int64_t TotalFileSize,
                             int64_t TotalBytesTransferred) {
    CopyWorker* worker = Context.ActiveThread.load();
    if (worker == nullptr) return 0;
    worker->ReportProgress(TotalFileSize, TotalBytesTransferred);
    return 0;
}

CopyWorker::CopyWorker(CopyContext& Context, CopyProgressCallback Status, std::string source,
                       std::string target, bool CreateSuspended)
    : Filename(FileNamePart(source)),
      context_(Context),
      threadCopyStatus_(Status),
      source_(std::move(source)),
      target_(std::move(target)) {
    context_.Cancel.ClearStop();
    context_.ThreadDone = false;
    if (!CreateSuspended) Resume();
}

CopyWorker::~CopyWorker() {
    WaitFor();
}

void CopyWorker::WaitFor() {
    if (thread_.joinable()) thread_.join();
}

void CopyWorker::Resume() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void CopyWorker::RunHere() {
    if (!thread_.joinable()) Execute();
}

void CopyWorker::Terminate() {
    stop_ = true;
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    done_.notify_all();
}

bool CopyWorker::WaitTerminated(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return terminated_.load(); });
}

bool CopyWorker::StopRequested() const {
    return stop_.load() || context_.Cancel.StopRequested();
}

void CopyWorker::ReportProgress(int64_t totalFileSize, int64_t totalBytesTransferred) {
    FileSize = totalFileSize;
    BytesTransferred = totalBytesTransferred;
    const int64_t elapsed = SteadyNanos() - startNanos_.load();
    if (elapsed > 0) {
        BytesPerSecond = std::llround(static_cast<double>(totalBytesTransferred) * 1e9 /
                                      static_cast<double>(elapsed));
    }
    pacer_.AfterBlock(BytesPerSecond.load(), BytesPerSecondLimit.load());
}

void CopyWorker::Execute() {
    startNanos_ = SteadyNanos();
    const int32_t error = CopyChunks();
    context_.ThreadDone = error == 0;
    if (error != 0) ErrorNr = error;
    if (context_.Cancel.StopRequested()) context_.ThreadDone = false;
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    done_.notify_all();
}

int32_t CopyWorker::CopyChunks() {
    platform::FsFilePtr source = context_.Files.For(source_).OpenRead(source_, true);
    if (!source) return platform::LastError();
    auto info = source->Info();
    if (!info) return platform::LastError();
    const bool limited = BytesPerSecondLimit.load() > 0;
    const int64_t size = info->Size;
    platform::FsFilePtr target =
        PreparedTarget ? std::move(PreparedTarget)
                       : context_.Files.For(target_).CreateTarget(target_, FreshTarget, false);
    if (!target) return platform::LastError();
    TargetCreated = true;
    // Between two local files the kernel copies; with a share on either side the bytes
    // pass through a buffer of ours, large enough to keep the line busy.
    const bool bothLocal = source->LocalFd() >= 0 && target->LocalFd() >= 0;
    const size_t chunk = limited ? kLimitedChunk : bothLocal ? kFreeChunk : kShareChunk;
    // The whole source is read once from start to end; a file of one chunk gains nothing.
    if (source->LocalFd() >= 0 && size > static_cast<int64_t>(chunk)) {
        ::posix_fadvise(source->LocalFd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    }

    int64_t copied = 0;
    bool useCopyRange = bothLocal;
    std::unique_ptr<char[]> buffer;

    for (;;) {
        int64_t moved = 0;
        if (useCopyRange) {
            ssize_t n =
                ::copy_file_range(source->LocalFd(), nullptr, target->LocalFd(), nullptr, chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && NeedsReadWriteFallback(errno)) {
                useCopyRange = false;
                continue;
            }
            if (n < 0) return platform::LastError();
            moved = n;
        } else {
            if (!buffer) buffer = std::make_unique<char[]>(chunk);
            int64_t n = source->ReadFull(buffer.get(), chunk);
            if (n < 0) return platform::LastError();
            if (n > 0 && !target->WriteAll(buffer.get(), static_cast<size_t>(n))) {
                return platform::LastError();
            }
            moved = n;
        }
        if (moved == 0) break;  // end of the source
        copied += moved;
        // The counters move with every chunk even when a foreign progress routine does
        // not keep them.
        FileSize = size;
        BytesTransferred = copied;
        if (threadCopyStatus_ != nullptr && threadCopyStatus_(context_, size, copied) != 0) {
            return platform::ERROR_REQUEST_ABORTED;
        }
        if (StopRequested()) return platform::ERROR_REQUEST_ABORTED;
    }
    return 0;
}

}  // namespace ferrolin
