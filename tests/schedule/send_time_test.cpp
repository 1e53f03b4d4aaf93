#include "schedule/send_time.h"

#include <gtest/gtest.h>

#include "schedule_test_util.h"

namespace ferrolin {
namespace {

using test::At;
using test::Show;

const std::vector<std::string> kL123 = {"08:00 00:30:00", "12:00 --", "14:00 01:00:00"};
const std::vector<std::string> kL13 = {"08:00 00:30:00", "14:00 01:00:00"};
const std::vector<std::string> kL12 = {"08:00 00:30:00", "12:00 --"};

struct EnhancedCase {
    const char* name;
    std::vector<std::string> lines;
    TDateTime x;
    TDateTime relative;  // expected without the grid
    TDateTime absolute;  // expected on the grid
};

TEST(NextSendTime, EnhancedLinesTable) {
    const TDateTime tomorrow = At(0, 0, 0, 1);
    const std::vector<EnhancedCase> cases = {
        {"before the first line", kL123, At(7, 0), At(8, 0), At(8, 0)},
        {"line before a pause is not repeated", kL123, At(9, 10), At(14, 0), At(14, 0)},
        {"one run a day before", {"06:00 00:10:00", "22:00 --"}, At(5, 0), At(6, 0), At(6, 0)},
        {"one run a day after", {"06:00 00:10:00", "22:00 --"}, At(6, 0, 1), tomorrow, tomorrow},
        {"interval line in force", kL13, At(9, 10), At(9, 40), At(9, 30)},
        {"last line repeats", kL123, At(15, 20), At(16, 20), At(16, 0)},
        {"last line a pause", kL12, At(15, 20), tomorrow, tomorrow},
        {"pause lines only, morning", {"10:00 --", "11:00 --"}, At(5, 0), tomorrow, tomorrow},
        {"pause lines only, between", {"10:00 --", "11:00 --"}, At(10, 30), tomorrow, tomorrow},
        {"pause lines only, evening", {"10:00 --", "11:00 --"}, At(23, 0), tomorrow, tomorrow},
        // A start equal to x has not passed: the line before it is in force.
        {"start equals x, pause before", kL123, At(14, 0), At(14, 0), At(14, 0)},
        {"start equals x, interval before", kL13, At(14, 0), At(14, 30), At(14, 0)},
        {"grid never steps backwards", {"08:00 00:45:00"}, At(7, 0), At(8, 0), At(8, 0)},
        {"result after midnight", {"23:00 02:00:00"}, At(23, 30), At(1, 30, 0, 1), At(1, 0, 0, 1)},
        {"grid of seven seconds", {"00:00 00:00:07"}, At(10, 0), At(10, 0, 7), At(10, 0, 1)},
        {"grid ends at midnight", {"00:00 00:00:01"}, At(23, 59, 59) + 0.5 * kOneSecond,
         At(23, 59, 59) + 1.5 * kOneSecond, tomorrow},
        {"empty list", {}, At(9, 0), tomorrow, tomorrow},
        {"empty lines only", {"", "  "}, At(9, 0), tomorrow, tomorrow},
        {"empty lines between", {"", "08:00 00:30:00", "", "14:00 01:00:00", ""}, At(9, 10),
         At(9, 40), At(9, 30)},
    };
    for (const EnhancedCase& c : cases) {
        for (bool absolute : {false, true}) {
            std::vector<std::string> lines = c.lines;
            const TDateTime expected = absolute ? c.absolute : c.relative;
            const TDateTime got = NextSendTime({true, absolute, "00:10:00"}, lines, c.x);
            EXPECT_TRUE(test::SameMoment(got, expected))
                << c.name << (absolute ? " (absolute)" : " (relative)") << ": got " << Show(got)
                << ", expected " << Show(expected);
        }
    }
}

TEST(NextSendTime, RemovesEmptyLinesFromTheList) {
    std::vector<std::string> lines = {"", "08:00 00:30:00", " ", "14:00 01:00:00", ""};
    NextSendTime({true, false, "00:10:00"}, lines, At(9, 0));
    EXPECT_EQ(lines, kL13);
}

TEST(NextSendTime, SimpleModeTable) {
    struct Case {
        const char* interval;
        TDateTime x;
        TDateTime expected;
    };
    const std::vector<Case> cases = {
        {"00:10:00", At(23, 55), At(0, 5, 0, 1)},
        {"01:30:00", At(9, 0), At(10, 30)},
        {"00:00:02", At(9, 0), At(9, 0, 2)},
        {"24:00:00", At(9, 0), At(9, 10)},  // hours 0-23 only: falls back to ten minutes
        {"garbage", At(9, 0), At(9, 10)},
        {"", At(9, 0), At(9, 10)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = kL123;  // not used in Simple mode
        const TDateTime got = NextSendTime({false, true, c.interval}, lines, c.x);
        EXPECT_TRUE(test::SameMoment(got, c.expected))
            << c.interval << ": got " << Show(got) << ", expected " << Show(c.expected);
        EXPECT_EQ(lines, kL123);
    }
}

// Lines that do not follow the column format are left out and reported; the rest of the
// list still works.
TEST(NextSendTime, MalformedLinesAreLeftOutAndReported) {
    std::vector<std::string> lines = {"8h00 00:30:00", "12:00 xx:yy", "14:00 01:00:00",
                                      "25:00 00:10:00"};
    std::vector<SendTimeProblem> problems;
    const TDateTime got = NextSendTime({true, false, ""}, lines, At(9, 0), &problems);
    EXPECT_TRUE(test::SameMoment(got, At(14, 0))) << Show(got);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].line, "8h00 00:30:00");
    EXPECT_EQ(problems[1].line, "12:00 xx:yy");
    EXPECT_EQ(problems[2].line, "25:00 00:10:00");
    EXPECT_EQ(lines.size(), 4u);  // kept in the editor for the operator to mend

    std::vector<std::string> allBad = {"x", "noon 01:00:00"};
    const TDateTime fallback = NextSendTime({true, true, ""}, allBad, At(9, 0));
    EXPECT_TRUE(test::SameMoment(fallback, At(0, 0, 0, 1))) << Show(fallback);
}

// A zero interval cannot advance a grid: the line starts once at its time and then acts as a
// pause. Without the grid it repeats at once, as the list asks.
TEST(NextSendTime, ZeroIntervalOnTheGrid) {
    const std::vector<std::string> base = {"08:00 00:00:00", "12:00 01:00:00"};
    struct Case {
        std::vector<std::string> lines;
        bool absolute;
        TDateTime x;
        TDateTime expected;
    };
    const std::vector<Case> cases = {
        {base, true, At(7, 0), At(8, 0)},
        {base, true, At(8, 0), At(8, 0)},
        {base, true, At(9, 0), At(12, 0)},
        {{"08:00 00:00:00"}, true, At(9, 0), At(0, 0, 0, 1)},
        {base, false, At(9, 0), At(9, 0)},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = c.lines;
        std::vector<SendTimeProblem> problems;
        const TDateTime got = NextSendTime({true, c.absolute, ""}, lines, c.x, &problems);
        EXPECT_TRUE(test::SameMoment(got, c.expected))
            << Show(c.x) << ": got " << Show(got) << ", expected " << Show(c.expected);
        EXPECT_EQ(problems.size(), c.absolute ? 1u : 0u);
    }
}

TEST(NextStartAfterManualRun, Table) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        TDateTime now;
        TDateTime expected;
    };
    const std::vector<Case> cases = {
        {"interval line: now + interval", kL123, At(15, 20), At(16, 20)},
        {"trailing pause: same time tomorrow", kL12, At(15, 20), At(15, 20, 0, 1)},
        {"pause in force: start of the next line", kL123, At(9, 10), At(14, 0)},
        {"never on a grid", kL13, At(9, 10), At(9, 40)},
        {"empty lines passed over", {"", "08:00 00:30:00", ""}, At(9, 0), At(9, 30)},
        {"no usable line: tomorrow 00:00", {"", "bad"}, At(9, 0), At(0, 0, 0, 1)},
        {"no line at all", {}, At(9, 0), At(0, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> before = c.lines;
        const TDateTime got = NextStartAfterManualRun(c.lines, c.now);
        EXPECT_TRUE(test::SameMoment(got, c.expected))
            << c.name << ": got " << Show(got) << ", expected " << Show(c.expected);
        EXPECT_EQ(c.lines, before);
    }
}

TEST(ParseSendTimeLine, Columns) {
    struct Case {
        const char* text;
        SendTimeLineError error;
        bool pause;
    };
    const std::vector<Case> cases = {
        {"06:00 00:10:00", SendTimeLineError::None, false},
        {"22:00 --", SendTimeLineError::None, true},
        {"22:00 --;", SendTimeLineError::None, true},
        {"", SendTimeLineError::Empty, false},
        {"   ", SendTimeLineError::Empty, false},
        {"24:00 00:10:00", SendTimeLineError::BadStart, false},
        {"ab:cd 00:10:00", SendTimeLineError::BadStart, false},
        {"06:00", SendTimeLineError::BadInterval, false},
        {"06:00 00:61:00", SendTimeLineError::BadInterval, false},
    };
    for (const Case& c : cases) {
        const ParsedSendTimeLine parsed = ParseSendTimeLine(c.text);
        EXPECT_EQ(parsed.error, c.error) << '"' << c.text << '"';
        if (c.error == SendTimeLineError::None) {
            EXPECT_EQ(parsed.line.pause, c.pause) << c.text;
        }
    }
}

}  // namespace
}  // namespace ferrolin
