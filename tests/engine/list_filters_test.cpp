#include "engine/list_filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/substring_set.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

SourceEntry File(const std::string& path) { return LocalFileEntry(path, 1, 0); }

std::vector<std::string> Names(const SourceList& list) {
    std::vector<std::string> names;
    for (const SourceEntry& entry : list) names.push_back(entry.name);
    return names;
}

TEST(ExcludeBySuffix, PlainSuffixesIgnoringCase) {
    SourceList list = {
        File("/s/report.TMP"), File("/s/report.tmp1"), File("/s/clip.mpg"),
        File("/s/Thumbs.db"),  File("/s/backup~"),     File("/s/padded.tmp  "),
        File(""),              File("/s/keep.txt"),    AddressEntry("http://h/page.tmp"),
        AddressEntry("http://h/padded.tmp "), RemoteFileEntry("r.TMP", 3, 0),
    };
    ExcludeBySuffix(".tmp;thumbs.db;~;", list);
    // Trailing blanks are dropped from file names only; an address is taken as it stands.
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/s/report.tmp1", "/s/clip.mpg", "",
                                                     "/s/keep.txt", "http://h/padded.tmp "}));
    SourceList untouched = {File("/s/a.tmp")};
    ExcludeBySuffix("", untouched);
    ExcludeBySuffix(";", untouched);  // no suffix at all: nothing is excluded
    EXPECT_EQ(untouched.size(), 1u);

    std::vector<std::string> names = {"a.TMP", "b.txt", "c.tmp "};
    ExcludeBySuffix(".tmp", names);
    EXPECT_EQ(names, (std::vector<std::string>{"b.txt", "c.tmp "}));
}

TEST(CompareList, NamesAreCutAtTheFirstDotOfTheFileName) {
    struct Case {
        SourceEntry entry;
        std::string name;
    } cases[] = {
        {File("/Play/Spot12.mpg"), "/play/spot12"},
        {File("/opt/ferrolin-2.1/Spot12.Final.mpg"), "/opt/ferrolin-2.1/spot12"},
        {RemoteFileEntry("Spot12.mpg", 1, 0), "spot12"},
        {AddressEntry("http://host/Play/Spot12.mpg"), "spot12"},  // an address: its last part
        {MailEntry(3), "mail 3"},
        {File("NoDot"), "nodot"},
    };
    for (const Case& c : cases) EXPECT_EQ(CompareName(c.entry), c.name) << c.entry.name;
}

TEST(CompareList, KeysKeepEntriesWhoseNameHoldsOne) {
    SourceList list = {File("/in/Spot12.mpg"), File("/in/spot123.mpg"), File("/in/Spot1.mpg"),
                       File("/in/spot12/other.mpg"), File("/in/x.spot12.mpg")};
    FilterByKeys({"spot12"}, list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/in/Spot12.mpg", "/in/spot123.mpg",
                                                     "/in/spot12/other.mpg"}));
    SourceList all = {File("/in/a")};
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
    SourceList list = {File("/in/SPOT12.mpg"), File("/in/spot13.mpg"), File("/in/a/spot12x.mpg")};
    FilterByCompareList(ini, list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/in/SPOT12.mpg", "/in/a/spot12x.mpg"}));
    SourceList untouched = {File("/in/a")};
    FilterByCompareList("", untouched);
    FilterByCompareList(dir / "missing.ini", untouched);
    FilterByCompareList(Write("empty.ini", ""), untouched);
    EXPECT_EQ(untouched.size(), 1u);
}

}  // namespace
}  // namespace ferrolin
