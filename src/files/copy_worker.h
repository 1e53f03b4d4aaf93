#pragma once
// The copy worker: copies one file in a thread of its own so the user-interface thread
// stays responsive, reports progress after every chunk through the progress routine,
// slows itself down to a byte-rate limit inside that routine, and stops when its
// station's cancel token asks it to. The copier (file_copy.h) creates one worker per copy and waits
// for it.
//
// Threads: Execute and the progress routine run in the worker thread; the copier reads
// the counters from the user-interface thread, so they are atomics.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "files/copy_context.h"
#include "files/rate_pacer.h"

namespace ferrolin {

// Called by the worker after each chunk with its copy context, the file's size and the
// bytes copied so far. Returns 0 to go on; any other value cancels the copy.
using CopyProgressCallback = uint32_t (*)(CopyContext& Context, int64_t TotalFileSize,
                                          int64_t TotalBytesTransferred);

// The program's progress routine: updates the counters of the context's running worker
// (ActiveThread) and applies its rate limit. Always returns 0.
uint32_t CopyProgressRoutine(CopyContext& Context, int64_t TotalFileSize,
                             int64_t TotalBytesTransferred);

class CopyWorker {
  public:
    // Clears the context's stop request and ThreadDone. A suspended worker starts with
    // Resume().
    CopyWorker(CopyContext& Context, CopyProgressCallback Status, std::string source,
               std::string target, bool CreateSuspended);
    // Waits for the thread to end.
    ~CopyWorker();
    CopyWorker(const CopyWorker&) = delete;
    CopyWorker& operator=(const CopyWorker&) = delete;

    void Resume();
    // Runs the copy in the calling thread instead (only when not started): for a copy
    // too small for a thread of its own to pay.
    void RunHere();
    // Waits until the thread has ended (at once when it never started).
    void WaitFor();
    // Sets the terminated flag and asks the copy to stop after its current chunk.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits until the terminated flag is set or timeout passes; true when it is set.
    bool WaitTerminated(std::chrono::milliseconds timeout);

    // The rate and rate-limit step of the progress routine, for this worker.
    void ReportProgress(int64_t totalFileSize, int64_t totalBytesTransferred);
    // The current pause per chunk in milliseconds.
    int32_t PauseMilliseconds() const { return pacer_.PauseMilliseconds(); }

    // Chunk sizes: small with a rate limit so the per-chunk pause can act, large without.
    static constexpr size_t kLimitedChunk = 64 * 1024;
    static constexpr size_t kFreeChunk = 16 * 1024 * 1024;
    // Without a limit, to or from a share: one read or write request of this size.
    static constexpr size_t kShareChunk = 1024 * 1024;

    std::atomic<int64_t> FileSize{0};
    std::atomic<int64_t> BytesTransferred{0};
    std::atomic<int64_t> BytesPerSecond{0};
    std::atomic<int64_t> BytesPerSecondLimit{0};
    std::atomic<int32_t> ErrorNr{0};
    // Set once the worker has created (and so owns) the target file.
    std::atomic<bool> TargetCreated{false};
    // The target is a temporary file made new (never over anything standing at its name);
    // false: the destination itself, written in place. Links are never written through.
    bool FreshTarget = true;
    // The target already made by the caller (the copier's temporary file); the worker
    // writes into it instead of creating the target.
    platform::FsFilePtr PreparedTarget;
    const std::string Filename;  // file name part of the source

  private:
    void Execute();
    // Copies the source to the target; 0 on success, else the error code.
    int32_t CopyChunks();
    bool StopRequested() const;

    CopyContext& context_;
    const CopyProgressCallback threadCopyStatus_;
    const std::string source_;
    const std::string target_;
    RatePacer pacer_;                     // worker thread only
    std::atomic<int64_t> startNanos_{0};  // steady clock at the start of the copy
    std::atomic<bool> stop_{false};
    std::atomic<bool> terminated_{false};
    std::mutex mutex_;
    std::condition_variable done_;
    std::thread thread_;
};

// The file name part of a path: after the last backslash, or the last slash when there
// is none; the whole text when it has neither.
std::string FileNamePart(const std::string& path);

}  // namespace ferrolin
