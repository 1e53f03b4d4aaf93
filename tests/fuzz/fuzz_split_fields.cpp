// Splits arbitrary text and checks the pieces put back together give the text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the separator from the ones the program uses, or any byte.
    static constexpr char kSeparators[] = {';', '\t', '\\'};
    const char separator = data[0] < 192 ? kSeparators[data[0] % 3] : static_cast<char>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto pieces = ferrolin::SplitFields(text, separator);
    if (text.empty()) {
        if (!pieces.empty()) std::abort();
        return 0;
    }
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined += separator;
        joined += pieces[i];
    }
    if (joined != text) std::abort();

    const std::string cleaned = ferrolin::CleanFileName(text);
    if (cleaned.size() != text.size()) std::abort();
    if (cleaned.find_first_of(std::string_view("<>?*\"\\/|:\0", 10)) != std::string::npos) {
        std::abort();
    }
    return 0;
}
