#include "protocols/ftp_listing_words.h"

#include <array>
#include <cctype>

namespace ferrolin::ftp_listing {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

std::vector<Word> SplitWords(std::string_view line) {
    std::vector<Word> words;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        const size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos])) ++pos;
        if (pos > start) words.push_back({line.substr(start, pos - start), pos});
    }
    return words;
}

std::string_view RestAfter(std::string_view line, size_t offset) {
    while (offset < line.size() && IsBlank(line[offset])) ++offset;
    return line.substr(offset);
}

std::optional<int64_t> ParseDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> MonthNumber(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3) return std::nullopt;
    char lower[3];
    for (int i = 0; i < 3; ++i) {
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (std::string_view(lower, 3) == kMonths[i]) return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

}  // namespace ferrolin::ftp_listing
