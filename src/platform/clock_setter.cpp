#include "platform/clock_setter.h"

#include <errno.h>
#include <time.h>

#include "platform/errors.h"

namespace ferrolin::platform {

namespace {

class RealClockSetter final : public ClockSetter {
public:
    int32_t SetClock(std::chrono::system_clock::time_point moment) override {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            moment.time_since_epoch())
                            .count();
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        if (ts.tv_nsec < 0) {
            ts.tv_nsec += 1'000'000'000;
            ts.tv_sec -= 1;
        }
        if (clock_settime(CLOCK_REALTIME, &ts) != 0) return errno;
        return 0;
    }
};

class RefusingClockSetter final : public ClockSetter {
public:
    int32_t SetClock(std::chrono::system_clock::time_point) override {
        return ERROR_CLOCK_SETTING_DISABLED;
    }
};

}  // namespace

ClockSetter& SystemClockSetter() {
    static RealClockSetter setter;
    return setter;
}

ClockSetter& DisabledClockSetter() {
    static RefusingClockSetter setter;
    return setter;
}

}  // namespace ferrolin::platform
