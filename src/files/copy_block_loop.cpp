// The copier's own block loop: one 64 KiB buffer (1 MiB to or from a share), whole sectors per
// write so unbuffered (O_DIRECT) writes work, the target preallocated to its final size, a
// wait-and-reopen loop for sources on unreliable shares, and the byte-rate limit by per-block
// pauses.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "common/log.h"
#include "common/text.h"
#include "files/file_copy_run.h"
#include "files/rate_pacer.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

constexpr size_t kBufferSize = 65536;
// Unbuffered writes need a buffer aligned to the sector size; a page covers every
// sector size in use.
constexpr size_t kBufferAlignment = 4096;
constexpr int kMaxReadRetries = 200;
constexpr auto kRetryPause = std::chrono::milliseconds(100);
constexpr auto kDisplayInterval = std::chrono::milliseconds(100);

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using AlignedBuffer = std::unique_ptr<char, FreeDeleter>;

AlignedBuffer AllocateAligned(size_t size) {
    void* p = nullptr;
    if (posix_memalign(&p, kBufferAlignment, size) != 0) return nullptr;
    return AlignedBuffer(static_cast<char*>(p));
}

}  // namespace

int64_t FileCopyRun::WaitAndReread(void* buffer, size_t size) {
    const int64_t done = ctx_.Status.Done.load();
    WriteLog(
        3, ctx_.FileCopyLogPath(),
        "Read error:" + ctx_.Status.StatusStr + " at pos:" + std::to_string(done) + " " + source_);
    int32_t lastError = platform::LastError();
    // Cancel (the operator's, or a stop signal) ends the wait at the next attempt, so a
    // source that stays away never holds a stop for the whole countdown.
    for (int retries = 0; retries < kMaxReadRetries && !ctx_.Cancel.StopRequested(); ++retries) {
        Fail("Failed to read, waiting for source " +
             std::to_string((kMaxReadRetries - retries) / 10));
        Pump();
        std::this_thread::sleep_for(kRetryPause);
        sourceFile_.reset();
        sourceFile_ = sourceFs_.OpenRead(source_, true);
        if (sourceFile_ && sourceFile_->Seek(done)) {
            int64_t n = sourceFile_->ReadFull(buffer, size);
            if (n >= 0) return n;
        }
        lastError = platform::LastError();
    }
    if (ctx_.Cancel.StopRequested()) return -1;
    Fail("Connection failed:" + SysErrorText(lastError));
    WriteLog(3, ctx_.FileCopyLogPath(),
             "To many retries, read canceled at pos:" + std::to_string(done) + " " + source_);
    return -1;
}

platform::FsFilePtr FileCopyRun::OpenBlockTarget(int64_t size, bool unbuffered) {
    platform::FsFilePtr target = preparedTarget_ ? std::move(preparedTarget_)
                                                 : destFs_.CreateTarget(target_, false, unbuffered);
    if (!target) return nullptr;
    targetOwned_ = true;
    // Preallocate the final size, then write from the start. A target that cannot be sized
    // or rewound would be written at the wrong place: the copy fails instead.
    if (!target->SetSize(size) || !target->Seek(0)) return nullptr;
    return target;
}

int64_t FileCopyRun::ReadBlock(void* buffer, size_t size) {
    const int64_t got = sourceFile_->ReadFull(buffer, size);
    return got >= 0 ? got : WaitAndReread(buffer, size);
}

void FileCopyRun::ShowBlockProgress(int64_t done, int64_t size) {
    NoteRate(done);
    if (size > 0) ctx_.Status.Position = static_cast<double>(done) / size * 100.0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDisplay_ <= kDisplayInterval) return;
    lastDisplay_ = now;
    Status(name_ + " (" + FormatByteSize(done) + " " +
           FormatByteSize(ctx_.Status.BytesPerSecond.load()) + "/s)");
    Pump();
}

void FileCopyRun::BlockLoop() {
    ChooseBlockSize();
    const int64_t size = sourceInfo_.Size;
    const bool unbuffered = writeMode_ == wmUnbuffered;
    platform::FsFilePtr target;
    if (!Has(cfReadOnly)) {
        target = OpenBlockTarget(size, unbuffered);
        if (!target) {
            targetFailed_ = true;
            return;
        }
    }
    const size_t bufferSize = std::max<size_t>(kBufferSize, blockSize_);
    AlignedBuffer buffer = AllocateAligned(bufferSize);
    if (!buffer) {
        targetFailed_ = true;
        return;
    }
    ctx_.Status.Done = 0;
    int64_t done = 0;
    size_t block = blockSize_;
    bool tail = false;
    RatePacer pacer;
    lastDisplay_ = {};
    for (;;) {
        if (!tail && size - done < static_cast<int64_t>(block)) {
            // The tail moves in sector-sized pieces; the last one is padded with zeros.
            tail = true;
            std::memset(buffer.get(), 0, bufferSize);
            block = sectorSize_ == 0 ? bufferSize : sectorSize_;
        }
        if (tail) std::memset(buffer.get(), 0, block);
        const int64_t got = ReadBlock(buffer.get(), block);
        if (got < 0) break;
        // An unbuffered write is the whole padded block.
        const size_t toWrite = unbuffered ? block : static_cast<size_t>(got);
        if (target && got > 0 && !target->WriteAll(buffer.get(), toWrite)) break;
        done += got;
        ctx_.Status.Done = done;
        ShowBlockProgress(done, size);
        pacer.AfterBlock(ctx_.Status.BytesPerSecond.load(), maxBytesPerSecond_);
        if (got == 0 || ctx_.Cancel.StopRequested()) break;
    }
    // Cut the zero fill of the last sector back to the exact size.
    if (target && unbuffered && done == size && !target->SetSize(size)) targetFailed_ = true;
}

}  // namespace ferrolin
