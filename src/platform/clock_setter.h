#pragma once
// Setting the computer's clock. Kept behind an interface so that nothing but the faces'
// production wiring can ever reach the real clock: tests hand in a fake.
#include <chrono>
#include <cstdint>

namespace ferrolin::platform {

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the system clock to moment (a point on the UTC time line, so daylight-saving
    // changes cannot make it ambiguous). Returns 0, or the errno-style code of the failure
    // (EPERM when the process lacks the right to set the clock).
    virtual int32_t SetClock(std::chrono::system_clock::time_point moment) = 0;
};

// The real clock of this computer (clock_settime on CLOCK_REALTIME).
ClockSetter& SystemClockSetter();

// A setter that never touches anything and always fails with ERROR_CLOCK_SETTING_DISABLED:
// the default of the core until a face wires in the real one.
ClockSetter& DisabledClockSetter();

}  // namespace ferrolin::platform
