#include "common/json.h"

#include <gtest/gtest.h>

#include <string>

namespace ferrolin {
namespace {

// The writer's escaping: the text of a record must stay one line of plain ASCII, whatever
// a job's name or an error text holds.
TEST(JsonQuote, EscapesEverythingThatCouldBreakTheLine) {
    const struct {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\" \\ back", "\"say \\\"hi\\\" \\\\ back\""},
        {"two\nlines\r\tand\x01"
         "bell\x7f",
         "\"two\\nlines\\r\\tand\\u0001bell\\u007f\""},
        {"gr\xc3\xbc\xc3\x9f"
         "e",
         "\"gr\\u00fc\\u00dfe\""},
        {"\xf0\x9f\x98\x80", "\"\\ud83d\\ude00\""},  // beyond the BMP: a pair
        {"bad\xff\xc3"
         "(",
         "\"bad\\ufffd\\ufffd(\""},                                           // stray bytes
        {"\xc0\xaf\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\""},  // overlong, surrogate
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonQuote(c.text), c.quoted) << c.text;
}

TEST(JsonValue, ReadsWhatItsWriterWrote) {
    JsonWriter json;
    json.BeginObject()
        .Key("name")
        .String("gr\xc3\xbc\xc3\x9f \xf0\x9f\x98\x80 \"q\"\n")
        .Key("count")
        .Integer(-42)
        .Key("big")
        .Integer(9007199254740993)
        .Key("seconds")
        .Number(1.25)
        .Key("whole")
        .Number(2.0)
        .Key("none")
        .Null()
        .Key("list")
        .BeginArray()
        .Bool(true)
        .Bool(false)
        .BeginObject()
        .EndObject()
        .EndArray()
        .EndObject();
    const std::optional<JsonValue> value = JsonValue::Parse(json.Text());
    ASSERT_TRUE(value) << json.Text();
    EXPECT_EQ(*value->Find("name")->AsString(), "gr\xc3\xbc\xc3\x9f \xf0\x9f\x98\x80 \"q\"\n");
    EXPECT_EQ(value->Find("count")->AsInteger(), -42);
    EXPECT_EQ(value->Find("big")->AsInteger(), 9007199254740993);  // not through a double
    EXPECT_EQ(value->Find("seconds")->AsNumber(), 1.25);
    EXPECT_EQ(value->Find("seconds")->AsInteger(), std::nullopt);
    EXPECT_NE(json.Text().find("\"whole\":2,"), std::string::npos) << json.Text();
    EXPECT_TRUE(value->Find("none")->IsNull());
    EXPECT_EQ(value->Find("list")->AsArray()->size(), 3u);
    EXPECT_EQ(value->Find("missing"), nullptr);
}

TEST(JsonValue, RefusesWhatIsNotJson) {
    const std::string refused[] = {
        "",
        "{",
        "{\"a\":1",    // cut off
        "{\"a\":1}}",  // something after the value
        "{\"a\" 1}",
        "{a:1}",
        "{\"a\":1,}",
        "[1,]",
        "\"raw\ncontrol\"",
        "\"bad \\x escape\"",
        "\"\\u12\"",
        "01",
        "-",
        "1.",
        "1e",
        "+1",
        "tru",
        "nul",
        "1e999",                                      // beyond a double
        std::string(40, '[') + std::string(40, ']'),  // deeper than any record
    };
    for (const std::string& text : refused) EXPECT_FALSE(JsonValue::Parse(text)) << text;
}

TEST(JsonValue, AcceptsWhatJsonAllows) {
    EXPECT_TRUE(JsonValue::Parse(" \t\r\n{ \"a\" : [ 1 , -0.5e+2 , \"\\/\\b\\f\" ] } \n"));
    EXPECT_EQ(*JsonValue::Parse("\"\\ud83d\\ude00\"")->AsString(), "\xf0\x9f\x98\x80");
    // A lone surrogate cannot be UTF-8: it reads as the replacement character.
    EXPECT_EQ(*JsonValue::Parse("\"\\udc00x\"")->AsString(), "\xef\xbf\xbdx");
    EXPECT_EQ(JsonValue::Parse("123456789012345678901234567890")->AsInteger(), std::nullopt);
}

}  // namespace
}  // namespace ferrolin
