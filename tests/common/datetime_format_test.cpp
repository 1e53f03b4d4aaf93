#include "common/datetime_format.h"

#include <gtest/gtest.h>

#include "formats_guard.h"

namespace ferrolin {
namespace {

using test::American;
using test::FormatsGuard;
using test::German;

TEST(DeriveDateTimeFormats, OrderFollowsTheFirstMonthAndDayLetters) {
    struct Case {
        const char* system;
        char separator;
        const char* expected;
    } cases[] = {
        {"M/d/yyyy", '/', "mm/dd/yyyy"},   {"dd.MM.yyyy", '.', "dd.mm.yyyy"},
        {"yyyy-MM-dd", '-', "mm-dd-yyyy"},  // the m stands before the d
        {"d/M/yy", '/', "dd/mm/yyyy"},     {"yyyy/dd/MM", '/', "dd/mm/yyyy"},
        {"dd.yyyy", '.', "mm.dd.yyyy"},  // no m: position 0 comes first
        {"", '.', "dd.mm.yyyy"},         // neither: equal positions, day first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        const DateTimeFormats f = DeriveDateTimeFormats(c.system, c.separator, ',');
        EXPECT_EQ(f.ShortDateFormat, c.expected);
        EXPECT_EQ(f.DateSeparator, c.separator);
        EXPECT_EQ(f.TimeSeparator, ':');
        EXPECT_EQ(f.LongTimeFormat, "hh:mm:ss");
        EXPECT_EQ(f.ShortTimeFormat, "hh:mm");
        EXPECT_EQ(f.DecimalSeparator, ',');
    }
}

TEST(FormatDateTime, Letters) {
    FormatsGuard guard(German());
    const TDateTime v = EncodeDateTime({2026, 3, 7}, {9, 5, 4, 7});
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"yyyy-mm-dd", "2026-03-07"},
        {"yy", "26"},
        {"YYYY", "2026"},
        {"d.m.", "7.3."},
        {"dd/mm/yyyy", "07.03.2026"},  // "/" is the date separator
        {"h:n:s", "9:5:4"},
        {"hh:nn:ss", "09:05:04"},
        {"hh:mm", "09:05"},  // m after an hour means minutes
        {"hh:mm:ss", "09:05:04"},
        {"h m", "9 5"},        // also across non-letters
        {"hh'h'mm", "09h03"},  // a letter in between ends the hour context
        {"mm hh", "03 09"},
        {"z", "7"},
        {"zzz", "007"},
        {"hh:nn:ss.zzz", "09:05:04.007"},
        {"'yyyy' yyyy", "yyyy 2026"},
        {"\"d\"d", "d7"},
        {"'unterminated", "unterminated"},
        {"[yyyy]#", "[2026]#"},
        {"mmm mmmm ddd dddd", "Mar March Sat Saturday"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTime(c.format, v), c.expected) << c.format;
    }
}

TEST(FormatDateTime, ProgramForms) {
    {
        FormatsGuard guard(German());
        const TDateTime v = EncodeDateTime({2026, 12, 8}, {14, 3, 22, 0});
        EXPECT_EQ(DateToStr(v), "08.12.2026");
        EXPECT_EQ(TimeToStr(v), "14:03:22");
        EXPECT_EQ(DateTimeToStr(v), "08.12.2026 14:03:22");
        EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8)), "08.12.2026");
        EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 12, 8) + kOneMillisecond), "08.12.2026 00:00:00");
    }
    {
        FormatsGuard guard(American());
        EXPECT_EQ(DateToStr(EncodeDate(2026, 1, 2)), "01/02/2026");
    }
}

TEST(ParseDateTime, RoundTripsWhatTheProgramWrites) {
    for (const DateTimeFormats& formats :
         {German(), American(), DeriveDateTimeFormats("yyyy-MM-dd", '-', '.')}) {
        FormatsGuard guard(formats);
        for (const TDateTime v :
             {EncodeDateTime({2026, 12, 8}, {14, 3, 22, 0}),
              EncodeDateTime({2000, 2, 29}, {0, 0, 1, 0}),
              EncodeDateTime({1999, 1, 31}, {23, 59, 59, 0}), EncodeDate(2026, 7, 4)}) {
            const std::string text = DateTimeToStr(v);
            SCOPED_TRACE(text);
            const auto back = StrToDateTime(text);
            ASSERT_TRUE(back);
            EXPECT_NEAR(*back, v, kOneMillisecond / 10);
            EXPECT_EQ(StrToDate(DateToStr(v)), DateOf(v));
            EXPECT_NEAR(*StrToTime(TimeToStr(v)), TimeOf(v), kOneMillisecond / 10);
        }
    }
}

TEST(ParseDateTime, AcceptedForms) {
    FormatsGuard guard(German());
    const TDateTime day = EncodeDate(2026, 12, 8);
    struct Case {
        const char* text;
        TDateTime expected;
    } dates[] = {
        {"08.12.2026", day},
        {"8.12.2026", day},
        {" 8.12.2026 ", day},
        {"8.12.26", day},
        {"1.1.99", EncodeDate(1999, 1, 1)},
    };
    for (const Case& c : dates) EXPECT_EQ(StrToDate(c.text), c.expected) << c.text;

    struct TimeCase {
        const char* text;
        int h, m, s;
    } times[] = {
        {"14:03", 14, 3, 0}, {"14:03:22", 14, 3, 22},  {"4:3:2", 4, 3, 2},
        {"0:00", 0, 0, 0},   {"23:59:59", 23, 59, 59}, {" 07:30 ", 7, 30, 0},
    };
    for (const TimeCase& c : times) {
        const auto t = StrToTime(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_NEAR(*t, EncodeTime(c.h, c.m, c.s), 1e-12) << c.text;
    }
    EXPECT_NEAR(*StrToDateTime("08.12.2026  14:03"), day + EncodeTime(14, 3, 0), 1e-9);
    EXPECT_EQ(StrToDateTime("08.12.2026"), day);
}

TEST(ParseDateTime, RejectsInvalidText) {
    FormatsGuard guard(German());
    for (const char* text :
         {"", " ", "24:00:00", "24:00", "60:00", "12:60", "12:00:60", "12", "12:", "12:00:", ":30",
          "123:00", "12:000", "12.00", "-1:00", "12:00 x", "1 2:00"}) {
        EXPECT_FALSE(StrToTime(text)) << '"' << text << '"';
    }
    for (const char* text : {"", "30.02.2026", "31.04.2026", "29.02.2026", "00.12.2026",
                             "08.13.2026", "08/12/2026", "08.12", "08.12.", "08.12.20266",
                             "008.12.2026", "08.12.2026x", "x08.12.2026", "08..2026"}) {
        EXPECT_FALSE(StrToDate(text)) << '"' << text << '"';
    }
    for (const char* text : {"08.12.2026 24:00:00", "08.12.2026 25:00", "08.12.2026 12",
                             "08.12.202612:00", "14:03", "08.12.2026 12:00 junk"}) {
        EXPECT_FALSE(StrToDateTime(text)) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace ferrolin
