#include "common/text.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>

#include "common/datetime_format.h"
#include "platform/errors.h"

namespace ferrolin {

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when the bytes there are not a
// well-formed sequence (stray continuation byte, overlong form, surrogate, cut short).
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&text](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    size_t length;
    unsigned char minSecond = 0x80, maxSecond = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) minSecond = 0xA0;  // overlong
        if (lead == 0xED) maxSecond = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) minSecond = 0x90;  // overlong
        if (lead == 0xF4) maxSecond = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < minSecond || byte(i + 1) > maxSecond) return 0;
    for (size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

char CleanAsciiChar(char c) {
    switch (c) {
        case '<':
        case '>':
        case '?':
        case '*':
        case '"':
        case '\0':  // a name cannot hold a NUL; it would cut the name short
            return ' ';
        case '\\':
        case '/':
        case '|':
            return '-';
        case ':':
            return ';';
        default:
            return c;
    }
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    bool inQuotes = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            inQuotes = !inQuotes;
        } else if (text[i] == separator && !inQuotes) {
            pieces.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::string SysErrorText(int32_t code) {
    char head[40];
    std::snprintf(head, sizeof head, "%" PRId32 " %08" PRIX32 " ", code,
                  static_cast<uint32_t>(code));
    const std::string message = platform::ErrorMessage(code);
    // A system text is delivered with its line end, like the message table's texts; the
    // log writer keeps that CR LF as the end of the line.
    if (message.empty() || message.size() + 2 > 255) {
        return std::string(head) + "no error description found";
    }
    return std::string(head) + message + "\r\n";
}

std::string FormatByteSize(int64_t bytes) {
    // Beyond terabytes the count still needs a unit: a petabyte shown as a bare "1.00"
    // would read as one byte.
    static constexpr const char* kUnits[] = {" Bytes", " KB", " MB", " GB", " TB", " PB", " EB"};
    double v = static_cast<double>(bytes);
    size_t unit = 0;
    while (v > 1024.0 && unit + 1 < std::size(kUnits)) {
        v /= 1024.0;
        ++unit;
    }
    // Exactly what "%4.2f" prints (to_chars with a precision is defined as printf in the
    // C locale; four characters is the shortest such text), without printf's cost: the
    // progress line shows four sizes for every file.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    std::string text(buffer, written.ptr);
    // Whatever decimal sign the C library's numeric locale put there, show the region's.
    for (char& c : text) {
        if (c != '-' && (c < '0' || c > '9')) c = Formats().DecimalSeparator;
    }
    return text + kUnits[unit];
}

std::string CleanFileName(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            // A byte that is not UTF-8 cannot be shown or stored faithfully: like a
            // character the name's code page cannot hold, it becomes a blank.
            result += ' ';
            ++i;
        } else if (length == 1) {
            result += CleanAsciiChar(text[i]);
            ++i;
        } else {
            result.append(text.substr(i, length));
            i += length;
        }
    }
    return result;
}

int FindItemIndex(std::string_view text, const std::vector<std::string>* items) {
    if (items == nullptr) return -1;
    for (size_t i = 0; i < items->size(); ++i) {
        if (EqualsIgnoreAsciiCase((*items)[i], text)) return static_cast<int>(i);
    }
    return -1;
}

std::string TrimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return std::string(text);
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace ferrolin
