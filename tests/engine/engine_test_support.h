#pragma once
// What the engine's tests share: a clock the test sets, and a station over a temporary
// program folder.
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/datetime.h"
#include "station/station.h"
#include "support/temp_dir.h"

namespace ferrolin::test {

class SetClock : public Clock {
public:
    explicit SetClock(TDateTime now = EncodeDate(2023, 12, 8) + EncodeTime(14, 30, 5)) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }
    void Advance(double days) { now_ += days; }

private:
    TDateTime now_;
};

}  // namespace ferrolin::test
