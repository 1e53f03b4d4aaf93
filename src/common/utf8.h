#pragma once
// UTF-8, the program's text encoding: code points in and out, with malformed input told
// apart (overlong forms, surrogates and values past U+10FFFF are no code points).
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

void AppendUtf8(std::string& out, char32_t code);

// The code point starting at text[pos], pos advanced past it; nothing (pos unchanged) when
// the bytes there are no well-formed sequence.
std::optional<char32_t> NextUtf8(std::string_view text, size_t& pos);

}  // namespace ferrolin
