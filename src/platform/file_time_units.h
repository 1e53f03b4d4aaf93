#pragma once
// The 64-bit file time, the program's inner form of file times: 100-ns intervals since
// 1601-01-01 UTC, as the files of a station carry them.
#include <time.h>

#include <cstdint>

namespace ferrolin {

inline constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;

// Seconds and nanoseconds since 1970 UTC as a file time; saturates instead of wrapping
// for moments no file system can hold.
int64_t UnixToFileTime(int64_t seconds, int64_t nanoseconds);

// A file time as the system's seconds and nanoseconds since 1970 UTC.
struct timespec ToTimespec(int64_t fileTime);

}  // namespace ferrolin
