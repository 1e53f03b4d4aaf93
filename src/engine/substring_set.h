#pragma once
// A set of texts that can tell in one pass over a name whether any of them occurs in it
// (Aho-Corasick), so filtering n names by k keys costs the length of the texts, not
// n times k searches.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ferrolin {

class SubstringSet {
public:
    // Empty texts are ignored: an empty key occurs nowhere.
    explicit SubstringSet(const std::vector<std::string>& texts);

    bool empty() const { return empty_; }
    // True when at least one of the texts occurs in name.
    bool AnyOccursIn(std::string_view name) const;

private:
    int Next(int state, unsigned char c) const;
    int Child(int state, unsigned char c) const;

    struct Node {
        int fail = 0;
        bool terminal = false;  // some text ends here or at a suffix of here
    };
    std::vector<Node> nodes_;
    std::unordered_map<uint64_t, int> children_;  // (state << 8 | byte) -> state
    bool empty_ = true;
};

}  // namespace ferrolin
