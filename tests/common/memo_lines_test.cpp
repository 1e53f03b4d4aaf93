#include "common/memo_lines.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

TEST(MemoLines, SplitAndJoin) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\n", {""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitMemoLines(c.text), c.lines) << c.text;
    }
    EXPECT_EQ(JoinMemoLines({"06:00 00:10:00", "22:00 --"}), "06:00 00:10:00\n22:00 --");
    EXPECT_EQ(JoinMemoLines({}), "");
    EXPECT_EQ(JoinMemoLines({"a", "", "b"}), "a\n\nb");
}

}  // namespace
}  // namespace ferrolin
