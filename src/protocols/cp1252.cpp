#include "protocols/cp1252.h"

#include <array>
#include <cstdint>

#include "common/utf8.h"

namespace ferrolin {

namespace {

// Code points of the bytes 0x80-0x9F; the rest of the range is Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (b >= 0x80 && b < 0xA0) {
            AppendUtf8(out, kHighControls[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

std::optional<std::string> Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        auto c = NextUtf8(text, pos);
        if (!c) return std::nullopt;
        if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF)) {
            out += static_cast<char>(*c);
            continue;
        }
        bool found = false;
        for (size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] == *c) {
                out += static_cast<char>(0x80 + i);
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
    }
    return out;
}

}  // namespace ferrolin
