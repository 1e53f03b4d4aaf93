#pragma once
// Counting in log and output texts, for tests that check a line appears exactly so often.
#include <sstream>
#include <string>

namespace ferrolin::test {

// How often needle occurs in text (overlapping occurrences counted).
inline int CountOccurrences(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t pos = text.find(needle); pos != std::string::npos;
         pos = text.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

// How many lines of text contain needle.
inline int CountLinesContaining(const std::string& text, const std::string& needle) {
    std::istringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find(needle) != std::string::npos) ++n;
    }
    return n;
}

}  // namespace ferrolin::test
