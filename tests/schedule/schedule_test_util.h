#pragma once
// Moments and comparisons shared by the schedule tests.
#include <string>

#include "common/datetime.h"
#include "common/datetime_format.h"

namespace ferrolin::test {

// 2026-12-09 is a Wednesday.
inline TDateTime Day(int offset = 0) { return EncodeDate(2026, 12, 9) + offset; }
inline TDateTime At(int h, int m, int s = 0, int dayOffset = 0) {
    return Day(dayOffset) + EncodeTime(h, m, s);
}
inline std::string Show(TDateTime t) { return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t); }
// Equal to the millisecond.
inline bool SameMoment(TDateTime a, TDateTime b) { return a - b < 5e-9 && b - a < 5e-9; }

}  // namespace ferrolin::test
