#pragma once
// One call of FileCopy, step by step. Internal to the copier: file_copy.cpp holds the
// decisions and the finish, copy_block_loop.cpp the own block loop, and
// copy_worker_wait.cpp the worker path.
#include <chrono>
#include <cstdint>
#include <string>

#include "files/file_copy.h"
#include "files/media_metadata.h"
#include "platform/file_system.h"

namespace ferrolin {

class FileCopyRun {
  public:
    FileCopyRun(CopyContext& ctx, const std::string& source, const std::string& dest,
                const UiPump& pump, const AskQuestion& ask, CopyProgressCallback routine,
                uint32_t maxBytesPerSecond, int32_t flags, uint8_t writeMode,
                const ListedSource* listed = nullptr);
    uint8_t Run();

  private:
    bool Has(int32_t flag) const { return (flags_ & flag) != 0; }
    void Status(const std::string& text);
    // A status text that describes a failure: the finish keeps it instead of its own.
    void Fail(const std::string& text);
    void Pump();
    Answer Ask(const std::string& text, Buttons buttons);
    double SecondsSinceStart() const;

    // A destination on a share that is already the same by size and time.
    bool SameByLooks();
    // The source's size and time: from its listing where that may decide (the source is
    // then opened by OpenListedSource only if it is copied), else from OpenSource.
    bool LookAtSource();
    bool OpenSource();
    bool OpenListedSource();
    // Another process holds the destination locked (it is writing it).
    bool DestinationLocked();
    // Returns false when the copy must end at once (sharing violation).
    bool ProbeDestination();
    // Same, metadata-only or copy; true when the file is to be copied.
    bool DecideCopy();
    bool IsSame() const;
    // Whether the destination differs from the source only in its metadata trailer (the
    // source's trailer is then in sourceMeta_).
    bool MetadataOnlyChange();
    void RewriteMetadata();
    bool PrepareCopy();
    // The own loop's block: 64 KiB in whole sectors of the destination's volume.
    void ChooseBlockSize();
    void BlockLoop();
    // The block loop's target, sized to the source and rewound; null when it cannot be.
    platform::FsFilePtr OpenBlockTarget(int64_t size, bool unbuffered);
    // One block from the source, waiting for a source that went away; -1 when it stayed away.
    int64_t ReadBlock(void* buffer, size_t size);
    // The rate and position after a block; the status line at most every 100 ms.
    void ShowBlockProgress(int64_t done, int64_t size);
    // The rate of the copy so far, done bytes since its start, into the status.
    void NoteRate(int64_t done);
    void WorkerCopy();
    // Waits for the worker, showing its progress; stops one that moves nothing for ten seconds.
    void WatchWorker(CopyWorker& worker);
    void ShowWorkerProgress(int64_t transferred, int64_t rate, int64_t size);
    // The worker's outcome: a short or failed copy fails the target.
    void JudgeWorker(const CopyWorker& worker);
    // The worker's copy runs in this thread (small file between local disks).
    bool CopiesInPlace() const;
    void Finish();
    // Puts path (the copy, or its folder) on stable storage; false with the status said.
    bool Flushed(const std::string& path);
    void Close();

    // The block loop's answer to a failed read: wait for the source and read again.
    // Returns the bytes read, or -1 when the source stayed away.
    int64_t WaitAndReread(void* buffer, size_t size);

    CopyContext& ctx_;
    const std::string source_;
    const std::string dest_;
    const UiPump& pump_;
    const AskQuestion& ask_;
    const CopyProgressCallback routine_;
    const uint32_t maxBytesPerSecond_;
    int32_t flags_;
    const uint8_t writeMode_;
    const ListedSource* const listed_;
    const std::string name_;

    uint8_t result_ = crFailed;
    bool statusIsFailure_ = false;  // the status text describes a failure
    platform::FileSystem& sourceFs_;
    platform::FileSystem& destFs_;
    platform::FsFilePtr sourceFile_;
    platform::FileInfo sourceInfo_;
    bool sourceFromListing_ = false;  // sourceInfo_ is the listing's; nothing opened yet
    bool destExists_ = false;
    bool destKnownAbsent_ = false;  // a look found no destination (a share's)
    platform::FileInfo destInfo_;
    bool destHasTrailer_ = false;
    bool answeredNo_ = false;  // No or Abort to the overwrite question
    MediaMetadata sourceMeta_;

    // The block of a copy to or from a share (no sector size there).
    static constexpr uint32_t kShareBlock = 1024 * 1024;
    uint32_t sectorSize_ = 0;
    uint32_t blockSize_ = 65536;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDisplay_;
    std::string target_;
    // The temporary file made new by the preparation, handed to whichever loop copies.
    platform::FsFilePtr preparedTarget_;
    bool targetOwned_ = false;   // this copy created the target and may delete it
    bool targetFailed_ = false;  // the target could not be created
};

}  // namespace ferrolin
