#pragma once
// The clock the schedule and the run logic read, so tests can run days of schedule
// without waiting. The production clock reads the system time.
#include "common/datetime.h"

namespace ferrolin {

class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() const = 0;
};

// The process-wide system clock.
Clock& SystemClock();

}  // namespace ferrolin
