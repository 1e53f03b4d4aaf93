#pragma once
// A clock a test sets and advances by hand, so days of schedule run in milliseconds. The
// time passed is counted in whole microseconds, so thousands of small steps add up exactly.
#include <cmath>
#include <cstdint>

#include "common/clock.h"

namespace ferrolin::test {

class FakeClock : public Clock {
public:
    explicit FakeClock(TDateTime start = 0) : base_(start) {}
    TDateTime Now() const override {
        return base_ + static_cast<double>(elapsedUs_) / (86400.0 * 1e6);
    }
    void Set(TDateTime moment) {
        base_ = moment;
        elapsedUs_ = 0;
    }
    void Advance(TDateTime span) { elapsedUs_ += std::llround(span * 86400.0 * 1e6); }

private:
    TDateTime base_;
    int64_t elapsedUs_ = 0;
};

}  // namespace ferrolin::test
