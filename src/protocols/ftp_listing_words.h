#pragma once
// Small pieces shared by the listing parsers: words of a line with their positions, and
// numbers that must be all digits.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace ferrolin::ftp_listing {

struct Word {
    std::string_view text;
    size_t end = 0;  // offset just past the word in its line
};

// Blank- or tab-separated words.
std::vector<Word> SplitWords(std::string_view line);

// The text after offset with the blanks that separate it from the previous word removed.
std::string_view RestAfter(std::string_view line, size_t offset);

// A whole run of decimal digits (no sign) that fits in 64 bits.
std::optional<int64_t> ParseDigits(std::string_view text);

// "Jan" ... "Dec" in any case -> 1 ... 12.
std::optional<int> MonthNumber(std::string_view text);

}  // namespace ferrolin::ftp_listing
