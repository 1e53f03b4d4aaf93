#include "engine/mirror_compare.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "common/text.h"
#include "engine/source_entry.h"

namespace ferrolin {
namespace {

// The comparison as a plain quadratic walk, to hold the fast one against.
std::vector<std::string> NaiveRemoveCommon(const std::vector<std::string>& first,
                                           std::vector<std::string> second, bool namesOnly) {
    const auto key = [&](const std::string& e) {
        return AsciiLower(namesOnly ? LastPathComponent(e) : std::string_view(e));
    };
    for (const std::string& f : first) {
        for (size_t k = 0; k < second.size(); ++k) {
            if (key(second[k]) == key(f)) {
                second.erase(second.begin() + static_cast<long>(k));
                break;
            }
        }
    }
    return second;
}

TEST(RemoveCommon, FirstMatchAndAtMostOneRemovalPerEntry) {
    struct Case {
        std::vector<std::string> first, second;
        bool namesOnly;
        std::vector<std::string> expected;
    } cases[] = {
        {{"a.txt", "Sub/b.txt"}, {"a.txt", "c.txt", "sub/B.TXT"}, false, {"c.txt"}},
        {{"a.txt"}, {"A.TXT", "a.txt"}, false, {"a.txt"}},  // one entry removes one
        {{"a.txt", "a.txt"}, {"a.txt", "x", "A.txt"}, false, {"x"}},
        {{"/one/a.txt"}, {"/two/a.txt", "/two/b.txt"}, true, {"/two/b.txt"}},
        {{"/one/a.txt"}, {"/two/a.txt"}, false, {"/two/a.txt"}},
        {{}, {"x"}, false, {"x"}},
        {{"x"}, {}, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> second = c.second;
        RemoveCommon(c.first, second, c.namesOnly, nullptr);
        EXPECT_EQ(second, c.expected);
    }
}

TEST(RemoveCommon, AgreesWithTheQuadraticWalkOnRandomLists) {
    std::mt19937 random(7);
    const char* names[] = {"a", "A", "b", "dir/a", "DIR/A", "c", "dir/c"};
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> first, second;
        for (int k = 0; k < int(random() % 8); ++k) first.push_back(names[random() % 7]);
        for (int k = 0; k < int(random() % 8); ++k) second.push_back(names[random() % 7]);
        for (const bool namesOnly : {false, true}) {
            std::vector<std::string> fast = second;
            RemoveCommon(first, fast, namesOnly, nullptr);
            ASSERT_EQ(fast, NaiveRemoveCommon(first, second, namesOnly));
        }
    }
}

TEST(RemoveCommon, TwoHundredThousandEntriesTakeLinearTime) {
    std::vector<std::string> first, second;
    for (int k = 0; k < 200000; ++k) {
        first.push_back("sub" + std::to_string(k % 100) + "/file" + std::to_string(k) + ".dat");
        second.push_back("SUB" + std::to_string((k + 7) % 100) + "/FILE" + std::to_string(k + 7) + ".dat");
    }
    // A quadratic walk would need far longer than the test program's time limit here;
    // linear time needs well under a second. The limit, not a clock, catches it.
    RemoveCommon(first, second, false, nullptr);
    EXPECT_EQ(second.size(), 7u);
}

TEST(AddUnlessListed, SubstringOfAnyLineCountsAsListed) {
    std::vector<std::string> lines = {"2023-12-08 10:00:00\t/T/data.txt"};
    EXPECT_FALSE(AddUnlessListed("a.txt", "2023-12-09 10:00:00\t/T/a.txt", lines));
    EXPECT_TRUE(AddUnlessListed("c.txt", "2023-12-09 10:00:00\t/T/c.txt", lines));
    EXPECT_FALSE(AddUnlessListed("c.txt", "2023-12-10 10:00:00\t/T/c.txt", lines));
    EXPECT_TRUE(AddUnlessListed("Data.txt", "", lines));  // exact letter case; key as the line
    EXPECT_EQ(lines, (std::vector<std::string>{"2023-12-08 10:00:00\t/T/data.txt",
                                               "2023-12-09 10:00:00\t/T/c.txt", "Data.txt"}));
}

TEST(AddEachUnlessListed, KeysListedByPresentOrEarlierAddedLines) {
    struct Case {
        const char* what;
        std::vector<std::string> list, keys;
        std::vector<std::string> expected;  // the list afterwards
    };
    const std::string p = "m\t/T/";
    const Case cases[] = {
        {"a present line holding the key", {"x\t/T/data.txt"}, {"a.txt", "c.txt"},
         {"x\t/T/data.txt", p + "c.txt"}},
        {"the same orphan twice", {}, {"c.txt", "c.txt"}, {p + "c.txt"}},
        {"a key inside a line added earlier", {}, {"sub/ab.txt", "b.txt", "ab.txt2"},
         {p + "sub/ab.txt", p + "ab.txt2"}},
        {"a key reaching into the prefix", {}, {"c.txt", "T/c", "/T/"}, {p + "c.txt"}},
        {"a key added before a longer one holding it", {}, {"b.txt", "sub/ab.txt"},
         {p + "b.txt", p + "sub/ab.txt"}},
        {"letter case counts", {"x\t/T/Data.txt"}, {"data.txt"}, {"x\t/T/Data.txt", p + "data.txt"}},
        {"an empty key in an empty list", {}, {"", ""}, {p}},
        {"an empty key after a line", {"x"}, {""}, {"x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list = c.list;
        EXPECT_EQ(AddEachUnlessListed(c.keys, p, list), c.expected.size() - c.list.size()) << c.what;
        EXPECT_EQ(list, c.expected) << c.what;
    }
}

TEST(AddEachUnlessListed, AgreesWithOneKeyAtATimeOnOverlappingNames) {
    std::mt19937 random(7);
    // Few letters and short texts, so keys often occur in each other, in the prefix, and
    // across the seam between prefix and key.
    const auto text = [&](size_t maxLength) {
        std::string s(random() % (maxLength + 1), 'a');
        for (char& c : s) c = "ab/"[random() % 3];
        return s;
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> list, keys;
        for (int n = int(random() % 4); n > 0; --n) list.push_back(text(8));
        for (int n = int(random() % 8); n > 0; --n) keys.push_back(text(4));
        const std::string prefix = text(3);
        std::vector<std::string> expected = list;
        size_t expectedAdded = 0;
        for (const std::string& key : keys) expectedAdded += AddUnlessListed(key, prefix + key, expected);
        ASSERT_EQ(AddEachUnlessListed(keys, prefix, list), expectedAdded) << round;
        ASSERT_EQ(list, expected) << round;
    }
}

}  // namespace
}  // namespace ferrolin
