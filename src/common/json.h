#pragma once
// A small JSON reader and writer for the program's own records (one object per line).
// The writer produces plain ASCII: control characters and every character past 0x7F are
// written as \u escapes, so a record survives any channel that mangles bytes, and a file
// name that is not valid UTF-8 cannot break the line (its stray bytes become U+FFFD).
// The reader accepts what RFC 8259 allows and refuses everything else, including nesting
// deeper than a record ever needs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ferrolin {

class JsonValue {
  public:
    enum class Type : uint8_t { Null, Bool, Number, String, Array, Object };

    Type type() const { return type_; }
    bool IsNull() const { return type_ == Type::Null; }

    // The value as the asked type, or nothing when it is another one. AsInteger holds
    // only numbers written without fraction or exponent that fit in 64 bits.
    std::optional<bool> AsBool() const;
    std::optional<double> AsNumber() const;
    std::optional<int64_t> AsInteger() const;
    const std::string* AsString() const;
    const std::vector<JsonValue>* AsArray() const;

    // An object's member by name (the first of that name), or null when there is none or
    // this is not an object.
    const JsonValue* Find(std::string_view key) const;
    const std::vector<std::pair<std::string, JsonValue>>& Members() const { return members_; }

    // The whole text must be one value (white space around it allowed).
    static std::optional<JsonValue> Parse(std::string_view text);

  private:
    friend class JsonParser;
    Type type_ = Type::Null;
    bool boolean_ = false;
    bool integral_ = false;
    double number_ = 0;
    int64_t integer_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

// Builds JSON text on one line. The caller keeps the structure right (a Key before each
// value inside an object); commas are placed here.
class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Integer(int64_t value);
    // Written with at most three decimals; a value that is not finite is written as null.
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // A value already written as JSON (by another writer).
    JsonWriter& Raw(std::string_view json);
    // A string, or null when there is none.
    JsonWriter& OptionalString(const std::optional<std::string>& text);

    const std::string& Text() const { return out_; }

  private:
    void BeforeValue();
    std::string out_;
    std::vector<bool> empty_;  // per open container: nothing written in it yet
    bool afterKey_ = false;
};

// text as a JSON string literal, quotes included (the writer's escaping).
std::string JsonQuote(std::string_view text);

}  // namespace ferrolin
