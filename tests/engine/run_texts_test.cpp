#include "engine/run_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ferrolin {
namespace {

TEST(FormatDuration, HoursUnboundedMinutesAndSecondsTwoDigits) {
    struct Case {
        double days;
        std::string expected;
    } cases[] = {
        {90.0 / 86400, "00:01:30"},
        {2.5, "60:00:00"},
        {0, "00:00:00"},
        {(9 * 3600 + 59 * 60 + 59) / 86400.0, "09:59:59"},
        {10.0 / 24, "10:00:00"},
        {1000.0 / 24 + 61.0 / 86400, "1000:01:01"},
        {-1.5 / 24, "-01:30:00"},
        {-12.0 / 24, "-12:00:00"},
        {std::numeric_limits<double>::infinity(), ""},
        {std::nan(""), ""},
        {1e300, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.days), c.expected) << c.days;
}

TEST(StampFileName, InsertsTheMomentBeforeTheLastDot) {
    const TDateTime moment = EncodeDate(2023, 12, 8) + EncodeTime(14, 30, 5);
    EXPECT_EQ(StampFileName("Spot.mpg", true, "yymmddhhnnss", moment), "Spot231208143005.mpg");
    EXPECT_EQ(StampFileName("a.b.mpg", true, "yymmdd", moment), "a.b231208.mpg");
    EXPECT_EQ(StampFileName("Spot.mpg", false, "yymmddhhnnss", moment), "Spot.mpg");
    EXPECT_EQ(StampFileName("NoDot", true, "yymmdd", moment), "NoDot");
    // A format that would put a separator into the name is made safe.
    const std::string stamped = StampFileName("x.txt", true, "yy'/'mm'/'dd", moment);
    EXPECT_EQ(stamped.find('/'), std::string::npos) << stamped;
    EXPECT_EQ(stamped.size(), std::string("x23.12.08.txt").size());
}

TEST(ProgressLine, PartsAppearOnlyWhenTheyCanBeComputed) {
    ProgressFigures first;
    first.fileNumber = 1;
    first.fileCount = 3;
    first.totalBytes = 3072;
    first.freeBytes = -1;
    EXPECT_EQ(ProgressLine(first), "copying... 1 of 3 Files 0.00 Bytes of 3.00 KB");

    ProgressFigures later = first;
    later.fileNumber = 2;
    later.copiedBytes = 1024;
    later.averageRate = 1024;
    later.freeBytes = 2048;
    EXPECT_EQ(ProgressLine(later),
              "copying... 2 of 3 Files 1024.00 Bytes of 3.00 KB speed: 1024.00 Bytes/s "
              "free: 2.00 KB remaining: 00:00:02");
}

}  // namespace
}  // namespace ferrolin
