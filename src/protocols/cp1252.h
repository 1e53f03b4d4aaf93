#pragma once
// Windows-1252 <-> UTF-8, for FTP servers that do not announce UTF8: their names are
// read as Windows-1252 and sent back under exactly the bytes the server used.
#include <optional>
#include <string>
#include <string_view>

namespace ferrolin {

// Every byte maps to one character. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows
// itself does, so that every byte string survives the round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

// The inverse: nothing when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot represent.
std::optional<std::string> Utf8ToCp1252(std::string_view text);

}  // namespace ferrolin
