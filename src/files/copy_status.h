#pragma once
// The copier's status record (one per station, in its CopyContext). The copier writes
// the record on the user-interface thread; the copy worker thread updates the counters,
// and the gauge reads them, hence the atomics.
#include <atomic>
#include <cstdint>
#include <string>

#include "common/datetime.h"

namespace ferrolin {

enum TCopyType : uint8_t {
    CT_None = 0,
    CT_Copy = 1,
    CT_Multiplexing = 2,
    CT_Hashing = 3,
    CT_FTP = 4,
};

struct CopyStatus {
    std::string SourcePath;                  // UI thread only
    std::atomic<double> Position{0.0};       // percent 0-100
    std::atomic<TDateTime> Started{0.0};
    std::atomic<int64_t> Size{0};
    std::atomic<int64_t> Done{0};
    std::atomic<uint8_t> CopyType{CT_None};
    std::string StatusStr;                   // UI thread only, at most 2047 characters
    std::atomic<int32_t> BytesPerSecond{0};
    // Run totals: kept for the gauge, the copier leaves them alone.
    std::atomic<TDateTime> TotalStarted{0.0};
    std::atomic<int64_t> Total{0};
    std::atomic<int64_t> TotalDone{0};
    std::atomic<int32_t> TotalFilesNum{0};
    std::atomic<int32_t> TotalFilesDone{0};

    // Sets StatusStr, cut to its 2047-character capacity.
    void SetStatus(std::string_view text);
};

inline constexpr size_t kStatusStrCapacity = 2047;

}  // namespace ferrolin
