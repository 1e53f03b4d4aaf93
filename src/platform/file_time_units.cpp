#include "platform/file_time_units.h"

namespace ferrolin {

int64_t UnixToFileTime(int64_t seconds, int64_t nanoseconds) {
    constexpr int64_t kTicksPerSecond = 10000000;
    // The floor of nanoseconds / 100, also for negative values.
    const int64_t hundreds = nanoseconds / 100 - (nanoseconds % 100 < 0 ? 1 : 0);
    int64_t ticks = 0;
    if (__builtin_mul_overflow(seconds, kTicksPerSecond, &ticks) ||
        __builtin_add_overflow(ticks, hundreds, &ticks) ||
        __builtin_add_overflow(ticks, kFileTimeUnixEpoch, &ticks)) {
        return seconds < 0 ? INT64_MIN : INT64_MAX;
    }
    return ticks;
}

struct timespec ToTimespec(int64_t fileTime) {
    const int64_t sinceEpoch = fileTime - kFileTimeUnixEpoch;  // 100-ns units
    int64_t seconds = sinceEpoch / 10000000;
    int64_t rest = sinceEpoch % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    struct timespec ts {};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

}  // namespace ferrolin
