// The real clock setter is only ever called here after this test program has given up
// the right to set the clock, so it must fail, and say so, without touching the time.
#include "platform/clock_setter.h"

#include <errno.h>
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "support/clock_rights.h"

namespace ferrolin::platform {
namespace {

// Before any test (and any thread) runs.
const bool kClockRightsDropped = test::DropClockSettingRights();

TEST(ClockSetter, WithoutTheRightTheSystemSetterReportsEperm) {
    if (!kClockRightsDropped) {
        GTEST_SKIP() << "could not give up the right to set the clock; not calling the real "
                        "clock setter";
    }
    // The moment asked for is now itself: even a kernel that ignored the missing right
    // would leave the clock where it is.
    EXPECT_EQ(SystemClockSetter().SetClock(std::chrono::system_clock::now()), EPERM);
}

TEST(ClockSetter, DisabledSetterRefusesWithItsOwnText) {
    const int32_t code = DisabledClockSetter().SetClock(std::chrono::system_clock::now());
    EXPECT_EQ(code, ERROR_CLOCK_SETTING_DISABLED);
    EXPECT_EQ(ErrorMessage(code), "Setting the system clock is not enabled in this program.");
}

}  // namespace
}  // namespace ferrolin::platform
