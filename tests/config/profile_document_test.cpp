#include "config/profile_document.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace ferrolin {
namespace {

using namespace std::string_literals;

std::string Value(const ProfileDocument& doc, std::string_view section, std::string_view key) {
    auto v = doc.Find(section, key);
    return v ? std::string(*v) : std::string("<absent>");
}

TEST(ProfileDocument, ReadsWithoutRegardToCaseAndTrimsBlanks) {
    auto doc = ProfileDocument::Parse(
        "; settings\n"
        "[Global]\n"
        "  AnzKopfstellen =  3 \n"
        "[kopf0]\n"
        "Name=Daily news\n"
        "Empty=\n");
    EXPECT_EQ(Value(doc, "GLOBAL", "anzkopfstellen"), "3");
    EXPECT_EQ(Value(doc, "Kopf0", "NAME"), "Daily news");
    EXPECT_EQ(Value(doc, "Kopf0", "Empty"), "");
    EXPECT_EQ(Value(doc, "Kopf0", "Missing"), "<absent>");
    EXPECT_EQ(Value(doc, "Kopf1", "Name"), "<absent>");
    EXPECT_TRUE(doc.HasSection("KOPF0"));
    EXPECT_FALSE(doc.HasSection("Kopf1"));
}

TEST(ProfileDocument, GarbageIsKeptAndIgnored) {
    const std::string text =
        "key before any section=1\n"
        "[Global\n"  // no closing bracket: not a header
        "[Global]\n"
        "just words\n"
        "=no key\n"
        ";Auto=1\n"
        "#Auto=1\n"
        "Auto=0\n"
        "bin\x01\xff\x00"
        "ary=yes\n"s +
        std::string(100000, 'x') + "\n";
    auto doc = ProfileDocument::Parse(text);
    EXPECT_EQ(doc.Text(), text);
    EXPECT_EQ(Value(doc, "Global", "Auto"), "0");
    EXPECT_EQ(Value(doc, "Global",
                    "bin\x01\xff\x00"
                    "ary"s),
              "yes");
    EXPECT_EQ(doc.KeyNames("Global").size(), 2u);
    EXPECT_EQ(doc.SectionNames(), std::vector<std::string>{"Global"});
}

TEST(ProfileDocument, DuplicatesFirstWinsForReadsAndWrites) {
    auto doc = ProfileDocument::Parse("[A]\nk=first\nk=second\n[a]\nk=third\nonly=in second\n");
    EXPECT_EQ(Value(doc, "A", "k"), "first");
    EXPECT_EQ(Value(doc, "A", "only"), "<absent>");
    doc.Set("a", "K", "new");
    EXPECT_EQ(doc.Text(), "[A]\nk=new\nk=second\n[a]\nk=third\nonly=in second\n");
    EXPECT_TRUE(doc.EraseSection("A"));
    EXPECT_EQ(doc.Text(), "");
    EXPECT_FALSE(doc.HasSection("A"));
}

struct EditCase {
    const char* name;
    std::string before;
    std::string section, key, value;
    std::string after;
};

class ProfileDocumentSet : public ::testing::TestWithParam<EditCase> {};

TEST_P(ProfileDocumentSet, ChangesExactlyOneLine) {
    const EditCase& c = GetParam();
    auto doc = ProfileDocument::Parse(c.before);
    doc.Set(c.section, c.key, c.value);
    EXPECT_EQ(doc.Text(), c.after);
    EXPECT_EQ(Value(doc, c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileDocumentSet,
    ::testing::Values(
        EditCase{"ExistingKeyKeepsSpelling", "[Global]\r\n  AUTO = 0 \r\nx=1\r\n", "global", "auto",
                 "1", "[Global]\r\n  AUTO =1\r\nx=1\r\n"},
        EditCase{"NewKeyAfterLastNonBlankLine", "[A]\na=1\n\n[B]\nb=2\n", "A", "n", "v",
                 "[A]\na=1\nn=v\n\n[B]\nb=2\n"},
        EditCase{"NewKeyInEmptySection", "[A]\n[B]\n", "A", "n", "v", "[A]\nn=v\n[B]\n"},
        EditCase{"NewSectionAtEndWithFileLineEnding", "x\r\n[A]\r\na=1", "B", "k", "v",
                 "x\r\n[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        EditCase{"EmptyFile", "", "Global", "Auto", "1", "[Global]\nAuto=1\n"},
        EditCase{"LastLineWithoutEnding", "[A]\na=1", "A", "b", "2", "[A]\na=1\nb=2\n"},
        EditCase{"LastLineWithLoneCR", "[A]\na=1\r", "A", "b", "2", "[A]\na=1\r\nb=2\n"},
        // Found by fuzzing: an unfinished header as the last line of a CR LF file.
        EditCase{"UnfinishedHeaderAtEnd", "x\r\n[B", "Kopf0", "Name", "v",
                 "x\r\n[B\r\n[Kopf0]\r\nName=v\r\n"},
        EditCase{"ValueWithEquals", "[A]\nk=a=b\n", "A", "k", "c=d", "[A]\nk=c=d\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileDocument, LineBreaksInValuesCannotAddLines) {
    auto doc = ProfileDocument::Parse("[Kopf0]\nName=a\n");
    doc.Set("Kopf0", "Name", "evil\r\n[Global]\nAuto=1");
    EXPECT_EQ(doc.Text(), "[Kopf0]\nName=evil  [Global] Auto=1\n");
    EXPECT_FALSE(doc.HasSection("Global"));
}

TEST(ProfileDocument, RejectsNamesThatWouldBreakTheSyntax) {
    ProfileDocument doc;
    for (const char* bad : {"", "a=b", "[x", "x]", " x", "x\n"}) {
        EXPECT_THROW(doc.Set(bad, "k", "v"), std::invalid_argument) << bad;
        EXPECT_THROW(doc.Set("S", bad, "v"), std::invalid_argument) << bad;
    }
}

TEST(ProfileDocument, EraseKeyAndSectionKeepOtherLines) {
    auto doc = ProfileDocument::Parse("; c\n[A]\na=1\nb=2\n[B]\nx=1\n[C]\n");
    EXPECT_TRUE(doc.EraseKey("a", "A"));
    EXPECT_FALSE(doc.EraseKey("a", "A"));
    EXPECT_TRUE(doc.EraseSection("b"));
    EXPECT_FALSE(doc.EraseSection("b"));
    EXPECT_EQ(doc.Text(), "; c\n[A]\nb=2\n[C]\n");
    doc.Set("C", "k", "v");
    EXPECT_EQ(Value(doc, "C", "k"), "v");
}

struct IntegerCase {
    const char* text;
    std::optional<int32_t> value;
};

TEST(ProfileDocument, RenameSectionKeepsEveryLineAndRefusesATakenName) {
    const std::string text = "[Kopf1]  ; first\r\na=1\r\n[Kopf2]\r\nb=2\r\n[kopf1]\r\nc=3\r\n";
    ProfileDocument doc = ProfileDocument::Parse(text);
    EXPECT_THROW(doc.RenameSection("Kopf1", "KOPF2"), std::invalid_argument);
    EXPECT_EQ(doc.Text(), text);
    EXPECT_FALSE(doc.RenameSection("Kopf9", "Kopf8"));
    // Both sections of the name move, headers keep what surrounds the name.
    EXPECT_TRUE(doc.RenameSection("KOPF1", "Kopf0"));
    EXPECT_EQ(doc.Text(), "[Kopf0]  ; first\r\na=1\r\n[Kopf2]\r\nb=2\r\n[Kopf0]\r\nc=3\r\n");
    EXPECT_EQ(doc.Find("kopf0", "a"), "1");
    EXPECT_FALSE(doc.HasSection("Kopf1"));
}

TEST(ProfileDocument, LinesAreNumberedAndTellWhatReadsSee) {
    using Kind = ProfileDocument::LineView::Kind;
    const ProfileDocument doc =
        ProfileDocument::Parse("x=0\n\n[S]\n; note\nk = v \nK=w\nstray\n[s]\nk=z");
    struct Expected {
        Kind kind;
        std::string_view section, key, value;
        bool inForce;
    };
    const std::vector<Expected> expected = {
        {Kind::Setting, "", "x", "0", false},  {Kind::Blank, "", "", "", false},
        {Kind::Section, "S", "", "", true},    {Kind::Comment, "S", "", "", false},
        {Kind::Setting, "S", "k", "v", true},  {Kind::Setting, "S", "K", "w", false},
        {Kind::Other, "S", "", "", false},     {Kind::Section, "s", "", "", false},
        {Kind::Setting, "s", "k", "z", false},
    };
    const auto lines = doc.Lines();
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, i + 1);
        EXPECT_EQ(lines[i].kind, expected[i].kind) << i;
        EXPECT_EQ(lines[i].section, expected[i].section) << i;
        EXPECT_EQ(lines[i].key, expected[i].key) << i;
        EXPECT_EQ(lines[i].value, expected[i].value) << i;
        EXPECT_EQ(lines[i].inForce, expected[i].inForce) << i;
    }
    EXPECT_EQ(doc.LineOf("s", "K"), 5u);
    EXPECT_EQ(doc.LineOf("S"), 3u);
    EXPECT_EQ(doc.LineOf("S", "missing"), 0u);
}

TEST(ParseProfileInteger, Forms) {
    const IntegerCase cases[] = {
        {"0", 0},
        {"42", 42},
        {"-7", -7},
        {"+7", 7},
        {"007", 7},
        {"$1F", 31},
        {"0x1f", 31},
        {"0X10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", 2147483647},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"1 2", std::nullopt},
        {"$G", std::nullopt},
        {"true", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace ferrolin
