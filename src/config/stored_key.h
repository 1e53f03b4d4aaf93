#pragma once
// How a key of the configuration file is stored, for code that checks a file by hand.
#include <cstdint>
#include <string_view>

namespace ferrolin {

enum class StoredKind { Flag, Text, Choice, Integer };

struct StoredKey {
    std::string_view key;
    StoredKind kind;
    uint8_t itemCount = 0;  // Choice: the number of items
};

}  // namespace ferrolin
