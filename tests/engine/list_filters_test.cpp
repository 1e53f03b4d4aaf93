#include "engine/list_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/substring_set.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

TEST(ExcludeBySuffix, PlainSuffixesIgnoringCase) {
    SourceList list = {
        "/s/report.TMP\t1\td", "/s/report.tmp1\t1\td", "/s/clip.mpg\t1\td",
        "/s/Thumbs.db\t1\td",  "/s/backup~\t1\td",     "/s/padded.tmp  \t1\td",
        "",                    "/s/bare.tmp",          "/s/keep.txt\t1\td",
    };
    ExcludeBySuffix(".tmp;thumbs.db;~;", list);
    EXPECT_EQ(list, (SourceList{"/s/report.tmp1\t1\td", "/s/clip.mpg\t1\td", "",
                                "/s/keep.txt\t1\td"}));
    SourceList untouched = {"/s/a.tmp\t1\td"};
    ExcludeBySuffix("", untouched);
    ExcludeBySuffix(";", untouched);  // no suffix at all: nothing is excluded
    EXPECT_EQ(untouched.size(), 1u);
}

TEST(CompareList, NamesAreCutAtTheFirstDotOfTheFileName) {
    struct Case {
        std::string entry, name;
    } cases[] = {
        {"/Play/Spot12.mpg\t1\td", "/play/spot12"},
        {"/opt/ferrolin-2.1/Spot12.Final.mpg\t1\td", "/opt/ferrolin-2.1/spot12"},
        {"/Play/Spot12.mpg", "spot12"},  // a bare entry is reduced to its file name
        {"NoDot\t1\td", "nodot"},
    };
    for (const Case& c : cases) EXPECT_EQ(CompareName(c.entry), c.name) << c.entry;
}

TEST(CompareList, KeysKeepEntriesWhoseNameHoldsOne) {
    SourceList list = {"/in/Spot12.mpg\t1\td", "/in/spot123.mpg\t1\td", "/in/Spot1.mpg\t1\td",
                       "/in/spot12/other.mpg\t1\td", "/in/x.spot12.mpg\t1\td"};
    FilterByKeys({"spot12"}, list);
    EXPECT_EQ(list, (SourceList{"/in/Spot12.mpg\t1\td", "/in/spot123.mpg\t1\td",
                                "/in/spot12/other.mpg\t1\td"}));
    SourceList all = {"/in/a\t1\td"};
    FilterByKeys({}, all);
    FilterByKeys({""}, all);  // an empty key is no key
    EXPECT_EQ(all.size(), 1u);
    FilterByKeys({"Spot"}, all);  // plain keys are used as they stand; names are lower case
    EXPECT_TRUE(all.empty());
}

TEST(SubstringSet, AnyAndSeenAgreeWithPlainSearchOnRandomTexts) {
    std::mt19937 random(42);
    const auto text = [&](size_t maxLength) {
        std::string s(random() % (maxLength + 1), 'a');
        for (char& c : s) c = static_cast<char>('a' + random() % 3);
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> keys;
        for (int k = 0; k < 1 + int(random() % 6); ++k) keys.push_back(text(5));
        const SubstringSet set(keys);
        SubstringSet::Sightings sightings(set);
        std::vector<bool> seen(keys.size());
        for (int n = 0; n < 20; ++n) {
            const std::string name = text(12);
            bool expected = false;
            for (size_t k = 0; k < keys.size(); ++k) {
                const bool occurs = !keys[k].empty() && name.find(keys[k]) != std::string::npos;
                expected |= occurs;
                seen[k] = seen[k] || occurs;
            }
            ASSERT_EQ(set.AnyOccursIn(name), expected) << name;
            sightings.Scan(name);
            for (size_t k = 0; k < keys.size(); ++k) ASSERT_EQ(sightings.Seen(k), seen[k]) << keys[k];
        }
    }
}

}  // namespace
}  // namespace ferrolin

namespace ferrolin {
namespace {

class CompareListFile : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        test::WriteFile(dir / name, content);
        return dir / name;
    }
    test::TempDir dir;
};

TEST_F(CompareListFile, KeysFromEitherSectionOrFromPlainLines) {
    struct Case {
        std::string content;
        std::vector<std::string> keys;
    } cases[] = {
        {"[FilesToCopy]\r\nAnz=1\r\nLine0=D:\\Play\\Spot12.mpg\r\n", {"spot12"}},
        {"[FilesToCopy]\nAnz=2\nLine0=/play/Spot12.Final.mpg\nLine1=/x/News\nLine2=/x/late.mpg\n",
         {"spot12", "news"}},
        {"[CfgFilesToRender]\nAnz=1\nLine0=/a/first.mpg\n[FilesToCopy]\nAnz=1\nLine0=/b/second.mpg\n",
         {"first"}},
        {"[FilesToCopy]\nAnz=2000000000\nLine0=/a/one.mpg\nLine01=/a/two.mpg\n", {"one"}},
        {"[FilesToCopy]\nAnz=0\nLine0=/a/one.mpg\n", {}},
        {"Spot12\r\n\r\nnews.mpg\r\n", {"Spot12", "news.mpg"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> keys = ReadCompareKeys(Write("list.ini", c.content));
        std::sort(keys.begin(), keys.end());
        std::vector<std::string> expected = c.keys;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(keys, expected) << c.content;
    }
}

TEST_F(CompareListFile, FiltersTheSourceListOrLeavesItAlone) {
    const std::string ini = Write("cl.ini", "[FilesToCopy]\nAnz=1\nLine0=/Play/Spot12.mpg\n");
    SourceList list = {"/in/SPOT12.mpg\t1\td", "/in/spot13.mpg\t1\td", "/in/a/spot12x.mpg\t1\td"};
    FilterByCompareList(ini, list);
    EXPECT_EQ(list, (SourceList{"/in/SPOT12.mpg\t1\td", "/in/a/spot12x.mpg\t1\td"}));
    SourceList untouched = {"/in/a\t1\td"};
    FilterByCompareList("", untouched);
    FilterByCompareList(dir / "missing.ini", untouched);
    FilterByCompareList(Write("empty.ini", ""), untouched);
    EXPECT_EQ(untouched.size(), 1u);
}

}  // namespace
}  // namespace ferrolin
