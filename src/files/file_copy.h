#pragma once
// FileCopy: the careful copier. It copies one file to a temporary name beside the
// destination and renames it over the destination only when complete, keeps the
// destination when it is already the same (sizes and times, or only its metadata trailer
// differs), refuses when the volume is nearly full, waits for a source on an unreliable
// share to come back, limits the byte rate, and gives the result the source's times and
// permissions. Progress and the outcome are published in the context's status record.
//
// Runs on the user-interface thread and is not re-entrant for one context (one status
// record, one worker, one cancel token). The UI pump is called at most every 100 ms while copying.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/surfaces.h"
#include "files/copy_context.h"
#include "files/copy_worker.h"

namespace ferrolin {

enum CopyResult : uint8_t {
    crFailed = 0,           // nothing usable was copied
    crCopied = 1,           // complete and in place under the destination name
    crSame = 2,             // the destination already equals the source
    crMetadataUpdated = 3,  // only the destination's metadata trailer was rewritten
};

// Flags, summed.
inline constexpr int32_t cfOnlyNewer = 0x01;   // same unless the source is newer
inline constexpr int32_t cfAsk = 0x02;         // ask before overwriting; report lack of space
inline constexpr int32_t cfForce = 0x04;       // never same
inline constexpr int32_t cfReadOnly = 0x08;    // read the source, write nothing
inline constexpr int32_t cfOpenFiles = 0x10;   // measure the source without data access
inline constexpr int32_t cfNoTempFile = 0x40;  // write straight to the destination name
inline constexpr int32_t cfDurable = 0x80;     // on stable storage before it counts as made

// Write modes.
inline constexpr uint8_t wmUnbuffered = 1;  // own block loop, writes bypass the page cache
inline constexpr uint8_t wmSystemCopy = 2;  // the copy worker (0 behaves as 2)

// Free space the destination volume must offer, in bytes (more than this).
inline constexpr int64_t kMinimumFreeSpace = 100000;

// What the source's listing said of it moments ago: enough to find an unchanged file
// already in place without looking at the source again (the source is opened only when
// it is copied).
struct ListedSource {
    int64_t size = 0;
    int64_t lastWriteTime = 0;  // file time (100 ns since 1601 UTC)
};

using UiPump = std::function<void()>;
// A modal warning question; an empty one answers No (or Ok for a message).
using AskQuestion = std::function<Answer(std::string_view text, Buttons buttons)>;

// Copies Source to Dest (empty Dest: a read-only pass) and returns a CopyResult. With
// no ProgressRoutine, with cfReadOnly or with WriteMode 1 the copier's own block loop
// runs; otherwise the copy worker. MaxBytesPerSecond 0 means no limit. listed, when
// given, is the source as its listing saw it. On return Context.Status.StatusStr
// describes the outcome and the status record is idle.
uint8_t FileCopy(CopyContext& Context, const std::string& Source, const std::string& Dest,
                 const UiPump& pump, CopyProgressCallback ProgressRoutine,
                 uint32_t MaxBytesPerSecond, int32_t Flags, uint8_t WriteMode,
                 const AskQuestion& ask = {}, const ListedSource* listed = nullptr);

// Whether the copier keeps a destination as "same" under flags (cfOnlyNewer, cfForce):
// with only-newer, unless the source is newer; forced, never; otherwise when the sizes
// match and the source is not newer. Times are file times; the comparison allows for
// the coarse times of some file systems.
bool DestinationIsSame(int32_t flags, int64_t sourceSize, int64_t sourceTime, int64_t destSize,
                       int64_t destTime);

// The same with a face: its ProcessMessages is the pump and its Ask the question.
uint8_t FileCopy(CopyContext& Context, const std::string& Source, const std::string& Dest,
                 Surfaces& surfaces, CopyProgressCallback ProgressRoutine,
                 uint32_t MaxBytesPerSecond, int32_t Flags, uint8_t WriteMode,
                 const ListedSource* listed = nullptr);

}  // namespace ferrolin
