#include "common/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace ferrolin {
namespace {

TEST(DateTime, EncodeDecodeRoundTripsKnownDays) {
    struct Case {
        int y, m, d;
        double serial;
        int weekday;  // 1 = Sunday
    } cases[] = {
        {1899, 12, 30, 0, 7},  {1899, 12, 31, 1, 1},       {1900, 1, 1, 2, 2},
        {1900, 3, 1, 61, 5},   {2000, 2, 29, 36585, 3},    {2026, 12, 8, 46364, 3},
        {1, 1, 1, -693593, 2}, {9999, 12, 31, 2958465, 6}, {1899, 12, 29, -1, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        const auto encoded = TryEncodeDate(c.y, c.m, c.d);
        ASSERT_TRUE(encoded);
        EXPECT_EQ(*encoded, c.serial);
        const DateParts back = DecodeDate(*encoded);
        EXPECT_EQ(back.year, c.y);
        EXPECT_EQ(back.month, c.m);
        EXPECT_EQ(back.day, c.d);
        EXPECT_EQ(DayOfWeek(*encoded < 0 ? *encoded - 0.75 : *encoded + 0.75), c.weekday);
    }
}

TEST(DateTime, RejectsDatesAndTimesThatDoNotExist) {
    EXPECT_FALSE(TryEncodeDate(2026, 2, 29));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29));  // century, not a leap year
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29));
    EXPECT_FALSE(TryEncodeDate(2026, 4, 31));
    EXPECT_FALSE(TryEncodeDate(2026, 13, 1));
    EXPECT_FALSE(TryEncodeDate(2026, 0, 1));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0));
    EXPECT_FALSE(TryEncodeTime(12, 60, 0, 0));
    EXPECT_FALSE(TryEncodeTime(12, 0, 60, 0));
    EXPECT_FALSE(TryEncodeTime(12, 0, 0, 1000));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0));
    EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999));
}

TEST(DateTime, TimeDecodesToTheNearestMillisecondAndCarriesIntoTheNextDay) {
    const TDateTime day = EncodeDate(2026, 12, 8);
    const TDateTime t = day + EncodeTime(14, 3, 22, 500);
    const TimeParts parts = DecodeTime(t);
    EXPECT_EQ(parts.hour, 14);
    EXPECT_EQ(parts.minute, 3);
    EXPECT_EQ(parts.second, 22);
    EXPECT_EQ(parts.millisecond, 500);
    EXPECT_EQ(DateOf(t), day);
    EXPECT_NEAR(TimeOf(t), EncodeTime(14, 3, 22, 500), 1e-12);

    // A hair before midnight is midnight of the next day, for date and time alike.
    const TDateTime almost = day + 1 - 1e-10;
    EXPECT_EQ(DecodeDate(almost).day, 9);
    EXPECT_EQ(DecodeTime(almost).hour, 0);
    EXPECT_EQ(DateOf(almost), day + 1);
}

TEST(DateTime, ValuesOutsideTheCalendarDoNotOverflow) {
    for (const double v : {1e300, -1e300, 1e12, std::nan(""), HUGE_VAL}) {
        EXPECT_EQ(DecodeDate(v).year, 1899) << v;
        EXPECT_EQ(DecodeTime(v).hour, 0) << v;
    }
    EXPECT_EQ(UnixToFileTime(INT64_MAX / 1000, 0), INT64_MAX);
    EXPECT_EQ(UnixToFileTime(INT64_MIN / 1000, 0), INT64_MIN);
    (void)FileTimeToLocalDateTime(INT64_MIN);
    (void)FileTimeToLocalDateTime(INT64_MAX);
}

TEST(DateTime, MomentsBeforeDayZeroCountTheTimeForward) {
    const TDateTime v = EncodeDateTime({1899, 12, 29}, {6, 0, 0, 0});
    EXPECT_DOUBLE_EQ(v, -1.25);
    EXPECT_EQ(DecodeDate(v).day, 29);
    EXPECT_EQ(DecodeTime(v).hour, 6);
}

class WithZone : public testing::Test {
  protected:
    void Use(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (hadZone_) oldZone_ = old;
    }
    void TearDown() override {
        if (hadZone_) {
            setenv("TZ", oldZone_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    bool hadZone_ = false;
    std::string oldZone_;
};

TEST_F(WithZone, UnixAndFileTimesConvertThroughLocalTime) {
    Use("UTC0");
    EXPECT_EQ(UnixToLocalDateTime(0), 25569.0);
    EXPECT_EQ(LocalDateTimeToUnix(25569.0), 0);
    EXPECT_EQ(UnixToFileTime(0, 0), kFileTimeUnixEpoch);
    EXPECT_EQ(UnixToFileTime(1, 500), kFileTimeUnixEpoch + 10000005);
    EXPECT_EQ(FileTimeToLocalDateTime(kFileTimeUnixEpoch), 25569.0);
    // Before 1970 the division must round down, not toward zero.
    EXPECT_NEAR(FileTimeToLocalDateTime(kFileTimeUnixEpoch - 5000000), 25569.0 - 0.5 * kOneSecond,
                1e-9);
    const TDateTime moment = EncodeDateTime({2026, 12, 8}, {14, 3, 22, 250});
    const int64_t ft = LocalDateTimeToFileTime(moment);
    EXPECT_EQ(ft % 10000000, 2500000);
    EXPECT_NEAR(FileTimeToLocalDateTime(ft), moment, kOneMillisecond / 10);

    Use("CET-1CEST,M3.5.0,M10.5.0/3");
    const TDateTime summer = EncodeDateTime({2026, 7, 1}, {12, 0, 0, 0});
    const TDateTime winter = EncodeDateTime({2026, 1, 1}, {12, 0, 0, 0});
    EXPECT_EQ(LocalDateTimeToUnix(summer), 1782900000);  // 10:00 UTC
    EXPECT_EQ(LocalDateTimeToUnix(winter), 1767265200);  // 11:00 UTC
    EXPECT_NEAR(UnixToLocalDateTime(1782900000), summer, 1e-9);
}

TEST(DateTime, NowIsCloseToTheSystemClock) {
    const TDateTime now = Now();
    const int64_t unix = LocalDateTimeToUnix(now);
    EXPECT_LE(std::llabs(unix - static_cast<int64_t>(std::time(nullptr))), 5);
}

}  // namespace
}  // namespace ferrolin
