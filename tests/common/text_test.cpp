#include "common/text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <set>

#include "formats_guard.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitFields, Cases) {
    struct Case {
        std::string text;
        char separator;
        Pieces expected;
    } cases[] = {
        {"", ';', {}},
        {"abc", ';', {"abc"}},
        {"a;b", ';', {"a", "b"}},
        {"a;", ';', {"a", ""}},
        {";", ';', {"", ""}},
        {";;", ';', {"", "", ""}},
        {";a", ';', {"", "a"}},
        {"\"a;b\";c", ';', {"\"a;b\"", "c"}},
        {"x\"a;b\"y;c", ';', {"x\"a;b\"y", "c"}},
        {"a;\"b;c", ';', {"a", "\"b;c"}},  // unbalanced: the rest is one piece
        {"\"\";\"\"", ';', {"\"\"", "\"\""}},
        {"f.txt\t123\t08.12.2026 10:00", '\t', {"f.txt", "123", "08.12.2026 10:00"}},
        {"a\\b\\c", '\\', {"a", "b", "c"}},
        {std::string("a\0b;c", 5), ';', {std::string("a\0b", 3), "c"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitFields(c.text, c.separator), c.expected) << c.text;
    }
}

TEST(SysErrorText, SystemTextsEndInCrLf) {
    const std::string text = SysErrorText(ENOENT);
    EXPECT_EQ(text, "2 00000002 No such file or directory\r\n");
    EXPECT_EQ(SysErrorText(EACCES).substr(0, 12), "13 0000000D ");
}

TEST(SysErrorText, NamedConditionsHaveTheirOwnTexts) {
    const int32_t named[] = {platform::ERROR_SHARING_VIOLATION, platform::ERROR_REQUEST_ABORTED,
                             platform::ERROR_EXTENDED_ERROR,
                             platform::ERROR_SESSION_CREDENTIAL_CONFLICT,
                             platform::ERROR_SHARE_UNREACHABLE};
    std::set<std::string> texts;
    for (const int32_t code : named) {
        const std::string message = platform::ErrorMessage(code);
        EXPECT_FALSE(message.empty()) << code;
        texts.insert(message);
        EXPECT_NE(SysErrorText(code).find(message + "\r\n"), std::string::npos);
    }
    EXPECT_EQ(texts.size(), std::size(named));
    EXPECT_EQ(SysErrorText(platform::ERROR_SHARING_VIOLATION).substr(0, 19), "536870944 20000020 ");
}

TEST(SysErrorText, UnknownCodes) {
    EXPECT_EQ(SysErrorText(99999), "99999 0001869F no error description found");
    EXPECT_EQ(SysErrorText(-1), "-1 FFFFFFFF no error description found");
}

TEST(FormatByteSize, Boundaries) {
    test::FormatsGuard guard(test::German());
    struct Case {
        int64_t bytes;
        const char* expected;
    } cases[] = {
        {0, "0,00 Bytes"},
        {1, "1,00 Bytes"},
        {1024, "1024,00 Bytes"},
        {1025, "1,00 KB"},
        {1536, "1,50 KB"},
        {1048576, "1024,00 KB"},
        {1048577, "1,00 MB"},
        {1073741825, "1,00 GB"},
        {1099511627776, "1024,00 GB"},
        {1099511627777, "1,00 TB"},
        {1125899906842624, "1024,00 TB"},
        {1125899906842625, "1,00 PB"},
        {INT64_MAX, "8,00 EB"},
        {-5, "-5,00 Bytes"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.bytes), c.expected) << c.bytes;
    test::FormatsGuard point(test::American());
    EXPECT_EQ(FormatByteSize(1025), "1.00 KB");
}

// The figure is rounded exactly as printf rounds it, ties and long fractions included,
// across every unit.
TEST(FormatByteSize, RoundsLikePrintf) {
    test::FormatsGuard point(test::American());
    uint64_t state = 88172645463325252ULL;
    for (int k = 0; k < 20000; ++k) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const int64_t bytes = static_cast<int64_t>(state >> (state % 63 + 1));
        double v = static_cast<double>(bytes);
        for (int unit = 0; v > 1024.0 && unit < 6; ++unit) v /= 1024.0;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%4.2f", v);
        const std::string text = FormatByteSize(bytes);
        ASSERT_EQ(text.substr(0, text.find(' ')), expected) << bytes;
    }
}

TEST(CleanFileName, ReplacesReservedCharactersKeepingTheLength) {
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"12:30", "12;30"},
        {"a/b\\c", "a-b-c"},
        {"<a>?*\"|", " a    -"},
        {"Bericht März.txt", "Bericht März.txt"},
        {"日本語:テスト", "日本語;テスト"},
        {"emoji 😀?", "emoji 😀 "},
        {std::string("a\0b", 3), "a b"},
        {"bad\xff"
         "byte",
         "bad byte"},
        {"cut \xe2\x82", "cut   "},  // truncated sequence: each byte a blank
        {"\xc0\xaf", "  "},          // overlong "/" is not a character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanFileName(c.text), c.expected) << c.text;
        EXPECT_EQ(CleanFileName(c.text).size(), c.text.size());
    }
}

TEST(FindItemIndex, IgnoresAsciiCaseOnly) {
    const std::vector<std::string> items = {"RAS disabled", "Office", "office", "Büro"};
    EXPECT_EQ(FindItemIndex("OFFICE", &items), 1);
    EXPECT_EQ(FindItemIndex("ras DISABLED", &items), 0);
    EXPECT_EQ(FindItemIndex("Büro", &items), 3);
    EXPECT_EQ(FindItemIndex("BÜRO", &items), -1);  // only A-Z fold
    EXPECT_EQ(FindItemIndex("Offic", &items), -1);
    EXPECT_EQ(FindItemIndex("Office", nullptr), -1);
    EXPECT_EQ(AsciiLower("AbC-Ä"), "abc-Ä");
    EXPECT_TRUE(EqualsIgnoreAsciiCase("Kopf1", "KOPF1"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("Kopf1", "Kopf10"));
}

}  // namespace
}  // namespace ferrolin
