// The copier's worker path: the copy runs in CopyWorker while the user-interface thread
// waits, refreshes the gauge and the status text every 100 ms, pumps the window
// messages, and gives up on a worker that makes no progress for ten seconds.
#include <cmath>
#include <memory>

#include "common/text.h"
#include "files/file_copy_run.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

constexpr auto kWaitSlice = std::chrono::milliseconds(5);
constexpr auto kRefreshInterval = std::chrono::milliseconds(100);
constexpr auto kStallInterval = std::chrono::seconds(10);

// Up to this size a copy between local disks runs in the calling thread: it is over in
// far less than one refresh interval, and a thread would cost more than the copy.
constexpr int64_t kInPlaceLimit = 1024 * 1024;

}  // namespace

bool FileCopyRun::CopiesInPlace() const {
    return sourceInfo_.Size <= kInPlaceLimit && maxBytesPerSecond_ == 0 && sourceFs_.IsLocal() &&
           destFs_.IsLocal() && ctx_.LocalDisks.IsOnLocalDisk(source_) &&
           ctx_.LocalDisks.IsOnLocalDisk(target_);
}

void FileCopyRun::WorkerCopy() {
    sourceFile_.reset();
    ctx_.ThreadDone = false;
    auto worker = std::make_unique<CopyWorker>(ctx_, routine_, source_, target_, true);
    worker->BytesPerSecondLimit = maxBytesPerSecond_;
    worker->FreshTarget = !Has(cfNoTempFile);
    worker->PreparedTarget = std::move(preparedTarget_);
    ctx_.ActiveThread = worker.get();
    if (CopiesInPlace()) {
        worker->RunHere();
    } else {
        worker->Resume();
    }
    WatchWorker(*worker);
    JudgeWorker(*worker);
    ctx_.ActiveThread = nullptr;
    worker->WaitFor();  // the worker's copy has returned before its target is judged
    targetOwned_ = targetOwned_ || worker->TargetCreated.load();
}

void FileCopyRun::WatchWorker(CopyWorker& worker) {
    using Clock = std::chrono::steady_clock;
    const int64_t size = sourceInfo_.Size;
    auto nextRefresh = Clock::now();
    auto nextStallCheck = Clock::now();
    int64_t noted = -1;
    while (!worker.Terminated() && !ctx_.ThreadDone.load()) {
        const auto now = Clock::now();
        if (now >= nextRefresh) {
            nextRefresh = now + kRefreshInterval;
            const int64_t transferred = worker.BytesTransferred.load();
            if (now >= nextStallCheck) {
                nextStallCheck = now + kStallInterval;
                if (transferred == noted) {
                    // No byte moved for ten seconds: stop waiting, and ask the worker to
                    // stop too, so releasing it does not wait for a copy nobody wants.
                    worker.Terminate();
                    ctx_.ThreadDone = false;
                }
                noted = transferred;
            }
            ShowWorkerProgress(transferred, worker.BytesPerSecond.load(), size);
        }
        worker.WaitTerminated(kWaitSlice);
    }
}

void FileCopyRun::ShowWorkerProgress(int64_t transferred, int64_t rate, int64_t size) {
    ctx_.Status.BytesPerSecond = static_cast<int32_t>(std::min<int64_t>(rate, 2147483647));
    ctx_.Status.Done = transferred;
    const double position = size > 0 ? static_cast<double>(transferred) / size * 100.0 : 0.0;
    ctx_.Status.Position = position == 0.0 ? 0.1 : position;
    Status(name_ + " (" + FormatByteSize(transferred) + " " + FormatByteSize(rate) + "/s)");
    Pump();
}

void FileCopyRun::JudgeWorker(const CopyWorker& worker) {
    const int64_t size = sourceInfo_.Size;
    const int32_t error = worker.ErrorNr.load();
    const int64_t done = std::min(worker.BytesTransferred.load(), size);
    ctx_.Status.Done = done;
    if (done == size && error == 0) return;
    if (error == platform::ERROR_REQUEST_ABORTED) {
        Status(source_ + " copy canceled");
    } else {
        Fail("Thread copy of " + source_ + " failed because Copiert:" + std::to_string(done) +
             "<SourceFileSize:" + std::to_string(size) + " " + SysErrorText(error));
    }
    // A worker that reported an error did not leave a complete file.
    targetFailed_ = true;
    Pump();
}

}  // namespace ferrolin
