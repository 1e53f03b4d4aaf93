#pragma once
// A set of texts that can tell in one pass over a name whether any of them occurs in it
// (Aho-Corasick), so filtering n names by k keys costs the length of the texts, not
// n times k searches.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

class SubstringSet {
public:
    // Empty texts are ignored: an empty key occurs nowhere.
    explicit SubstringSet(const std::vector<std::string>& texts);

    bool empty() const { return empty_; }
    // True when at least one of the texts occurs in name.
    bool AnyOccursIn(std::string_view name) const;

    // Which of the set's texts occur in any of the names scanned so far. A scan costs the
    // name's length plus the texts it finds for the first time, so scanning many names
    // stays linear in their total length however many texts each one holds.
    class Sightings {
    public:
        explicit Sightings(const SubstringSet& set);
        void Scan(std::string_view name);
        // text is an index into the texts the set was built from; an empty one is never seen.
        bool Seen(size_t text) const;

    private:
        const SubstringSet& set_;
        // Per node: the text ending there, and every text ending at one of its suffixes,
        // has been seen.
        std::vector<char> reached_;
    };

private:
    int Next(int state, unsigned char c) const;
    int Child(int state, unsigned char c) const;

    // Nodes are numbered breadth first, so the children of a node are the consecutive
    // nodes from firstChild up to the next node's firstChild: lookups stay within a few
    // neighbouring entries instead of hopping through a hash table.
    struct Node {
        int firstChild = 0;
        int fail = 0;
        int suffixEnd = -1;     // the longest proper suffix node where a text ends
        unsigned char byte = 0;  // the byte on the edge from the parent
        bool terminal = false;   // some text ends here or at a suffix of here
        bool ends = false;       // some text ends exactly here
    };
    std::vector<Node> nodes_;  // one more at the end, holding only firstChild
    std::array<int, 256> rootNext_{};  // the root's step on each byte (0: stay at the root)
    std::vector<int> textEnds_;        // per text: its end node, -1 when empty
    bool empty_ = true;
};

}  // namespace ferrolin
