#include "common/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/utf8.h"

namespace ferrolin {

namespace {

// Deeper than any record of ours; bounds the parser's recursion on hostile input.
constexpr int kMaxDepth = 32;
constexpr uint32_t kReplacement = 0xFFFD;

// The code point at text[i], i advanced past it; a byte that starts no well-formed
// sequence is one U+FFFD.
uint32_t NextCodePoint(std::string_view text, size_t& i) {
    if (const std::optional<char32_t> code = NextUtf8(text, i)) return *code;
    ++i;
    return kReplacement;
}

// The escape of one UTF-16 unit: a backslash, "u" and four hex digits.
void AppendEscape(std::string& out, uint32_t unit) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

}  // namespace

std::string JsonQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        const uint32_t code = NextCodePoint(text, i);
        switch (code) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (code < 0x20 || (code >= 0x7F && code < 0x10000)) {
                    AppendEscape(out, code);
                } else if (code >= 0x10000) {
                    const uint32_t v = code - 0x10000;
                    AppendEscape(out, 0xD800 + (v >> 10));
                    AppendEscape(out, 0xDC00 + (v & 0x3FF));
                } else {
                    out += static_cast<char>(code);
                }
        }
    }
    out += '"';
    return out;
}

// --- Reading ---

class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> Document() {
        JsonValue value;
        SkipSpace();
        if (!Value(value, 0)) return std::nullopt;
        SkipSpace();
        if (pos_ != text_.size()) return std::nullopt;
        return value;
    }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++pos_;
    }

    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& value, int depth) {
        if (AtEnd() || depth > kMaxDepth) return false;
        switch (Peek()) {
            case '{':
                return Object(value, depth);
            case '[':
                return Array(value, depth);
            case '"':
                value.type_ = JsonValue::Type::String;
                return String(value.text_);
            case 't':
                value.type_ = JsonValue::Type::Bool;
                value.boolean_ = true;
                return Literal("true");
            case 'f':
                value.type_ = JsonValue::Type::Bool;
                return Literal("false");
            case 'n':
                value.type_ = JsonValue::Type::Null;
                return Literal("null");
            default:
                return Number(value);
        }
    }

    bool Object(JsonValue& value, int depth) {
        value.type_ = JsonValue::Type::Object;
        ++pos_;  // '{'
        SkipSpace();
        if (!AtEnd() && Peek() == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (AtEnd() || Peek() != '"' || !String(key)) return false;
            SkipSpace();
            if (AtEnd() || Peek() != ':') return false;
            ++pos_;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) return false;
            value.members_.emplace_back(std::move(key), std::move(member));
            SkipSpace();
            if (AtEnd()) return false;
            if (Peek() == '}') {
                ++pos_;
                return true;
            }
            if (Peek() != ',') return false;
            ++pos_;
        }
    }

    bool Array(JsonValue& value, int depth) {
        value.type_ = JsonValue::Type::Array;
        ++pos_;  // '['
        SkipSpace();
        if (!AtEnd() && Peek() == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth + 1)) return false;
            value.items_.push_back(std::move(item));
            SkipSpace();
            if (AtEnd()) return false;
            if (Peek() == ']') {
                ++pos_;
                return true;
            }
            if (Peek() != ',') return false;
            ++pos_;
        }
    }

    bool Hex4(uint32_t& unit) {
        if (pos_ + 4 > text_.size()) return false;
        unit = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text_[pos_++];
            unit <<= 4;
            if (c >= '0' && c <= '9') {
                unit |= static_cast<uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                unit |= static_cast<uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                unit |= static_cast<uint32_t>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    // A \u escape (the "\u" already read), joined with a following low surrogate; a lone
    // surrogate becomes U+FFFD.
    bool UnicodeEscape(std::string& out) {
        uint32_t unit = 0;
        if (!Hex4(unit)) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const size_t mark = pos_;
            pos_ += 2;
            uint32_t low = 0;
            if (!Hex4(low)) return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            pos_ = mark;  // not a pair: the second escape is read on its own
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // '"'
        while (!AtEnd()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (AtEnd()) return false;
            switch (text_[pos_++]) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    if (!UnicodeEscape(out)) return false;
                    break;
                default:
                    return false;
            }
        }
        return false;
    }

    bool Number(JsonValue& value) {
        const size_t start = pos_;
        const auto digits = [&] {
            const size_t from = pos_;
            while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++pos_;
            return pos_ > from;
        };
        if (!AtEnd() && Peek() == '-') ++pos_;
        if (AtEnd()) return false;
        if (Peek() == '0') {
            ++pos_;
        } else if (!digits()) {
            return false;
        }
        bool integral = true;
        if (!AtEnd() && Peek() == '.') {
            ++pos_;
            integral = false;
            if (!digits()) return false;
        }
        if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
            ++pos_;
            integral = false;
            if (!AtEnd() && (Peek() == '+' || Peek() == '-')) ++pos_;
            if (!digits()) return false;
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        value.type_ = JsonValue::Type::Number;
        if (std::from_chars(first, last, value.number_).ec != std::errc()) {
            // Out of a double's range: too large to be any count of ours.
            return false;
        }
        value.integral_ =
            integral && std::from_chars(first, last, value.integer_).ec == std::errc();
        return true;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

std::optional<JsonValue> JsonValue::Parse(std::string_view text) {
    return JsonParser(text).Document();
}

std::optional<bool> JsonValue::AsBool() const {
    if (type_ != Type::Bool) return std::nullopt;
    return boolean_;
}

std::optional<double> JsonValue::AsNumber() const {
    if (type_ != Type::Number) return std::nullopt;
    return number_;
}

std::optional<int64_t> JsonValue::AsInteger() const {
    if (type_ != Type::Number || !integral_) return std::nullopt;
    return integer_;
}

const std::string* JsonValue::AsString() const {
    return type_ == Type::String ? &text_ : nullptr;
}

const std::vector<JsonValue>* JsonValue::AsArray() const {
    return type_ == Type::Array ? &items_ : nullptr;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : members_)
        if (name == key) return &value;
    return nullptr;
}

// --- Writing ---

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    if (!empty_.empty()) empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    if (!empty_.empty()) empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    out_ += JsonQuote(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    out_ += JsonQuote(text);
    return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    // to_chars, not printf: the decimal point must not follow the operator's locale.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    // "1.500" -> "1.5", "2.000" -> "2": shorter, and the same number.
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    out_ += text;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view json) {
    BeforeValue();
    out_ += json;
    return *this;
}

JsonWriter& JsonWriter::OptionalString(const std::optional<std::string>& text) {
    return text ? String(*text) : Null();
}

}  // namespace ferrolin
