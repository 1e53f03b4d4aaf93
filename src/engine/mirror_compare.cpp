#include "engine/mirror_compare.h"

#include <unordered_map>

#include "common/text.h"
#include "engine/source_entry.h"

namespace ferrolin {

namespace {

std::string CompareKey(const std::string& entry, bool namesOnly) {
    return AsciiLower(namesOnly ? LastPathComponent(entry) : std::string_view(entry));
}

}  // namespace

void RemoveCommon(const std::vector<std::string>& first, std::vector<std::string>& second,
                  bool namesOnly, Surfaces* panel) {
    if (first.empty() || second.empty()) return;
    // For each key, a chain through second's positions with that key, earliest first:
    // taking the head is "the first equal key" of a list that shrinks as it goes.
    constexpr size_t kEnd = static_cast<size_t>(-1);
    std::unordered_map<std::string, size_t> head;
    head.reserve(second.size());
    std::vector<size_t> next(second.size(), kEnd);
    for (size_t k = second.size(); k-- > 0;) {
        auto [slot, inserted] = head.try_emplace(CompareKey(second[k], namesOnly), k);
        if (!inserted) {
            next[k] = slot->second;
            slot->second = k;
        }
    }
    std::vector<bool> removed(second.size(), false);
    const std::string count = std::to_string(first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const auto found = head.find(CompareKey(first[i], namesOnly));
        if (found != head.end() && found->second != kEnd) {
            removed[found->second] = true;
            found->second = next[found->second];
        }
        if (panel != nullptr && i % 10 == 0) {
            panel->SetStatusText(std::to_string(i) + " removed of " + count);
            panel->ProcessMessages();
        }
    }
    size_t kept = 0;
    for (size_t k = 0; k < second.size(); ++k) {
        if (!removed[k]) {
            if (kept != k) second[kept] = std::move(second[k]);
            ++kept;
        }
    }
    second.resize(kept);
}

bool AddUnlessListed(std::string_view key, std::string_view line, std::vector<std::string>& list) {
    for (const std::string& existing : list)
        if (existing.find(key) != std::string::npos) return false;
    list.emplace_back(line.empty() ? key : line);
    return true;
}

}  // namespace ferrolin
