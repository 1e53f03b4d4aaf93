#pragma once
// Small text helpers used all over the program.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

// Splits at every separator outside double quotes; quotes stay in their piece.
// n separators give n + 1 pieces; an empty text gives an empty list.
std::vector<std::string> SplitFields(std::string_view text, char separator);

// "<code> <8 hex digits> <system text>" or "... no error description found".
// Knows the program's own named conditions (platform/errors.h) as well as errno values.
std::string SysErrorText(int32_t code);

// "0.00 Bytes", "1024.00 KB", "1.00 MB" ... with the system's decimal separator.
std::string FormatByteSize(int64_t bytes);

// Makes a text safe as a file name without changing its length in characters.
std::string CleanFileName(std::string_view text);

// Index of the first item equal to text (A-Z without regard to case), or -1.
int FindItemIndex(std::string_view text, const std::vector<std::string>* items);

// Helpers for ASCII case handling of keys and names.
std::string AsciiLower(std::string_view text);
// text without the blanks and tabs at its two ends.
std::string TrimmedBlanks(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace ferrolin
