#include "common/clock.h"

namespace ferrolin {

namespace {

class SystemClockImpl final : public Clock {
  public:
    TDateTime Now() const override { return ferrolin::Now(); }
};

}  // namespace

Clock& SystemClock() {
    static SystemClockImpl clock;
    return clock;
}

}  // namespace ferrolin
