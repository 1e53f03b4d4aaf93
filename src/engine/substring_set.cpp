#include "engine/substring_set.h"

#include <queue>

namespace ferrolin {

namespace {

uint64_t Key(int state, unsigned char c) { return (static_cast<uint64_t>(state) << 8) | c; }

}  // namespace

SubstringSet::SubstringSet(const std::vector<std::string>& texts) {
    nodes_.emplace_back();
    std::vector<std::vector<std::pair<unsigned char, int>>> edges(1);
    for (const std::string& text : texts) {
        if (text.empty()) continue;
        empty_ = false;
        int state = 0;
        for (const char ch : text) {
            const unsigned char c = static_cast<unsigned char>(ch);
            int next = Child(state, c);
            if (next < 0) {
                next = static_cast<int>(nodes_.size());
                nodes_.emplace_back();
                edges.emplace_back();
                children_.emplace(Key(state, c), next);
                edges[state].emplace_back(c, next);
            }
            state = next;
        }
        nodes_[state].terminal = true;
    }
    // Failure links in breadth-first order; a node is terminal when its longest proper
    // suffix in the trie is.
    std::queue<int> pending;
    for (const auto& [c, child] : edges[0]) {
        nodes_[child].fail = 0;
        pending.push(child);
    }
    while (!pending.empty()) {
        const int state = pending.front();
        pending.pop();
        for (const auto& [c, child] : edges[state]) {
            int f = nodes_[state].fail;
            while (f != 0 && Child(f, c) < 0) f = nodes_[f].fail;
            const int target = Child(f, c);
            nodes_[child].fail = target >= 0 && target != child ? target : 0;
            if (nodes_[nodes_[child].fail].terminal) nodes_[child].terminal = true;
            pending.push(child);
        }
    }
}

int SubstringSet::Child(int state, unsigned char c) const {
    const auto found = children_.find(Key(state, c));
    return found == children_.end() ? -1 : found->second;
}

int SubstringSet::Next(int state, unsigned char c) const {
    for (;;) {
        const int child = Child(state, c);
        if (child >= 0) return child;
        if (state == 0) return 0;
        state = nodes_[state].fail;
    }
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

}  // namespace ferrolin
