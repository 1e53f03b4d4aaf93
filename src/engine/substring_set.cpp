#include "engine/substring_set.h"

namespace ferrolin {

namespace {

// The trie as it grows: each node's children in a list of siblings.
struct GrowingTrie {
    std::vector<int> firstChild{-1};
    std::vector<int> nextSibling{-1};
    std::vector<unsigned char> byte{0};

    int ChildOrAdd(int node, unsigned char c) {
        int last = -1;
        for (int child = firstChild[node]; child >= 0; child = nextSibling[child]) {
            if (byte[child] == c) return child;
            last = child;
        }
        const int added = static_cast<int>(byte.size());
        firstChild.push_back(-1);
        nextSibling.push_back(-1);
        byte.push_back(c);
        (last < 0 ? firstChild[node] : nextSibling[last]) = added;
        return added;
    }
};

}  // namespace

SubstringSet::SubstringSet(const std::vector<std::string>& texts) {
    GrowingTrie trie;
    std::vector<int> grownEnds;
    grownEnds.reserve(texts.size());
    for (const std::string& text : texts) {
        int node = text.empty() ? -1 : 0;
        for (const char ch : text) node = trie.ChildOrAdd(node, static_cast<unsigned char>(ch));
        grownEnds.push_back(node);
    }

    // Renumber breadth first; the queue is the new order itself.
    const size_t count = trie.byte.size();
    empty_ = count == 1;
    std::vector<int> order;  // new number -> grown number
    std::vector<int> renumbered(count);
    order.reserve(count);
    order.push_back(0);
    nodes_.resize(count + 1);
    for (size_t k = 0; k < order.size(); ++k) {
        nodes_[k].firstChild = static_cast<int>(order.size());
        for (int child = trie.firstChild[order[k]]; child >= 0; child = trie.nextSibling[child]) {
            renumbered[child] = static_cast<int>(order.size());
            nodes_[order.size()].byte = trie.byte[child];
            order.push_back(child);
        }
    }
    nodes_[count].firstChild = static_cast<int>(count);
    textEnds_.reserve(texts.size());
    for (const int end : grownEnds) {
        textEnds_.push_back(end < 0 ? -1 : renumbered[end]);
        if (end >= 0) nodes_[renumbered[end]].ends = nodes_[renumbered[end]].terminal = true;
    }

    // Failure links in breadth-first order, that is in number order; a node is terminal
    // when its longest proper suffix in the trie is.
    for (int child = nodes_[0].firstChild; child < nodes_[1].firstChild; ++child)
        rootNext_[nodes_[child].byte] = child;
    for (size_t state = 1; state < count; ++state) {
        for (int child = nodes_[state].firstChild; child < nodes_[state + 1].firstChild; ++child) {
            Node& node = nodes_[child];
            node.fail = Next(nodes_[state].fail, node.byte);
            const Node& fail = nodes_[node.fail];
            if (fail.terminal) node.terminal = true;
            node.suffixEnd = fail.ends ? node.fail : fail.suffixEnd;
        }
    }
}

int SubstringSet::Child(int state, unsigned char c) const {
    for (int child = nodes_[state].firstChild; child < nodes_[state + 1].firstChild; ++child)
        if (nodes_[child].byte == c) return child;
    return -1;
}

int SubstringSet::Next(int state, unsigned char c) const {
    for (; state != 0; state = nodes_[state].fail) {
        const int child = Child(state, c);
        if (child >= 0) return child;
    }
    return rootNext_[c];
}

bool SubstringSet::AnyOccursIn(std::string_view name) const {
    if (empty_) return false;
    int state = 0;
    for (const char ch : name) {
        state = Next(state, static_cast<unsigned char>(ch));
        if (nodes_[state].terminal) return true;
    }
    return false;
}

SubstringSet::Sightings::Sightings(const SubstringSet& set) : set_(set), reached_(set.nodes_.size(), 0) {}

void SubstringSet::Sightings::Scan(std::string_view name) {
    if (set_.empty_) return;
    int state = 0;
    for (const char ch : name) {
        state = set_.Next(state, static_cast<unsigned char>(ch));
        const Node& node = set_.nodes_[state];
        // Walk the texts ending here, longest first, until one already seen: the texts
        // at its suffixes were marked together with it.
        for (int end = node.ends ? state : node.suffixEnd; end >= 0 && !reached_[end];
             end = set_.nodes_[end].suffixEnd)
            reached_[end] = 1;
    }
}

bool SubstringSet::Sightings::Seen(size_t text) const {
    const int end = set_.textEnds_[text];
    return end >= 0 && reached_[end] != 0;
}

}  // namespace ferrolin
