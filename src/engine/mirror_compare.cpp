#include "engine/mirror_compare.h"

#include <cstdint>

#include "common/text.h"
#include "engine/source_entry.h"
#include "engine/substring_set.h"

namespace ferrolin {

namespace {

std::string_view KeyPart(const std::string& entry, bool namesOnly) {
    return namesOnly ? LastPathComponent(entry) : std::string_view(entry);
}

// FNV-1a over the lower-cased bytes (or, with exactCase, the bytes as they are), so keys
// need not be copied to be lower-cased.
uint64_t KeyHash(std::string_view key, bool exactCase) {
    uint64_t hash = 1469598103934665603ULL;
    for (const char ch : key) {
        const char c =
            !exactCase && ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

// The entries of a list by key: an open-addressing table of (hash, owning position,
// first position not yet taken), with a chain through the later positions of the same key.
// A lookup touches one slot and one entry, so the comparison stays fast and linear for
// lists of hundreds of thousands of entries. Keys are compared in place, never copied.
class KeyIndex {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    KeyIndex(const std::vector<std::string>& entries, bool namesOnly, bool exactCase)
        : entries_(entries), namesOnly_(namesOnly), exactCase_(exactCase), next_(entries.size(), kNone) {
        size_t capacity = 16;
        while (capacity < entries.size() * 2) capacity *= 2;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        // From the back, so each key's chain runs front to back.
        for (size_t k = entries.size(); k-- > 0;) {
            const std::string_view key = KeyPart(entries[k], namesOnly_);
            Slot& slot = Probe(key, KeyHash(key, exactCase_));
            if (slot.owner == kNone) {
                slot.owner = k;
            } else {
                next_[k] = slot.head;
            }
            slot.head = k;
        }
    }

    // Takes the first remaining position with this key; kNone when there is none.
    size_t Take(std::string_view key) {
        Slot& slot = Probe(key, KeyHash(key, exactCase_));
        const size_t position = slot.head;
        if (position != kNone) slot.head = next_[position];
        return position;
    }

private:
    struct Slot {
        uint64_t hash = 0;
        size_t owner = kNone;  // a position holding the slot's key; kNone: empty slot
        size_t head = kNone;   // the first position of the key not yet taken
    };

    // The slot holding key, or the empty slot where it would go (hash set, owner kNone).
    Slot& Probe(std::string_view key, uint64_t hash) {
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.owner == kNone) {
                slot.hash = hash;
                return slot;
            }
            if (slot.hash == hash && Equal(KeyPart(entries_[slot.owner], namesOnly_), key))
                return slot;
        }
    }

    bool Equal(std::string_view a, std::string_view b) const {
        return exactCase_ ? a == b : EqualsIgnoreAsciiCase(a, b);
    }

    const std::vector<std::string>& entries_;
    const bool namesOnly_;
    const bool exactCase_;
    std::vector<size_t> next_;
    std::vector<Slot> slots_;
    size_t mask_ = 0;
};

}  // namespace

namespace {

void RemoveCommonKeys(const std::vector<std::string>& first, std::vector<std::string>& second,
                      bool namesOnly, bool exactCase, Surfaces* panel) {
    if (first.empty() || second.empty()) return;
    KeyIndex index(second, namesOnly, exactCase);
    std::vector<bool> removed(second.size(), false);
    const std::string count = std::to_string(first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const size_t position = index.Take(KeyPart(first[i], namesOnly));
        if (position != KeyIndex::kNone) removed[position] = true;
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

}  // namespace

void RemoveCommon(const std::vector<std::string>& first, std::vector<std::string>& second,
                  bool namesOnly, Surfaces* panel) {
    RemoveCommonKeys(first, second, namesOnly, false, panel);
}

void RemoveCommonExactCase(const std::vector<std::string>& first, std::vector<std::string>& second,
                           Surfaces* panel) {
    RemoveCommonKeys(first, second, false, true, panel);
}

bool AddUnlessListed(std::string_view key, std::string_view line, std::vector<std::string>& list) {
    for (const std::string& existing : list)
        if (existing.find(key) != std::string::npos) return false;
    list.emplace_back(line.empty() ? key : line);
    return true;
}

size_t AddEachUnlessListed(const std::vector<std::string>& keys, std::string_view prefix,
                           std::vector<std::string>& list) {
    // Every line, present or appended, is scanned once for all keys; a key is listed when
    // it was seen in a line scanned before its turn.
    const SubstringSet set(keys);
    SubstringSet::Sightings listed(set);
    for (const std::string& line : list) listed.Scan(line);
    size_t added = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        // An empty key occurs in any line, so it is listed as soon as there is one.
        if (keys[k].empty() ? !list.empty() : listed.Seen(k)) continue;
        std::string line(prefix);
        line += keys[k];
        listed.Scan(line);
        list.push_back(std::move(line));
        ++added;
    }
    return added;
}

}  // namespace ferrolin
