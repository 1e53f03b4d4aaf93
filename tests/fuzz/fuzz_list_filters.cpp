// List filters over entries of every kind, the mirror comparison and delayed-deletion
// lines over arbitrary text: no crash, and the fast comparisons agree with plain searches.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "engine/delayed_delete.h"
#include "engine/guarded_delete.h"
#include "engine/list_filters.h"
#include "engine/path_guard.h"
#include "engine/mirror_compare.h"
#include "engine/source_entry.h"
#include "engine/substring_set.h"

using namespace ferrolin;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() < 64) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

// The same text as each kind of entry: a file (local or remote) and the bare names.
std::vector<SourceEntry> EntriesOf(const std::string& text) {
    return {LocalFileEntry(text, static_cast<int64_t>(text.size()), 0),
            RemoteFileEntry(text, 0, 0), AddressEntry(text),
            SourceEntry{text, 0, 0, EntryKind::MailMessage, 1}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = Lines(text);

    for (const std::string& line : lines) {
        if (const auto moment = ParseDelayMoment(line.substr(0, kDelayMomentLength)))
            Check(FormatDelayMoment(*moment) == line.substr(0, kDelayMomentLength));
        for (const SourceEntry& entry : EntriesOf(line)) CompareName(entry);

        // Path forms: normalising is idempotent; a path that may be deleted from
        // DelayDelete.txt is absolute, normal, single-line and below its folder.
        const std::string normal = NormalisePath(line);
        Check(NormalisePath(normal) == normal);
        if (line.size() > kDelayMomentLength + 1) {
            const std::string path = line.substr(kDelayMomentLength + 1);
            if (const auto folder = GuardingFolder(path, {"/dst", "/d/t"})) {
                Check(IsNormalAbsolutePath(path) && !HasLineBreak(path) && !HasParentLevel(path));
                Check(LiesBelow(path, *folder));
            }
        }
    }

    const size_t half = lines.size() / 2;
    const std::vector<std::string> first(lines.begin(), lines.begin() + half);
    const std::vector<std::string> second(lines.begin() + half, lines.end());

    // Keys against names: the automaton agrees with a plain search.
    const SubstringSet set(first);
    for (const std::string& name : second) {
        bool expected = false;
        for (const std::string& key : first) expected |= !key.empty() && name.find(key) != std::string::npos;
        Check(set.AnyOccursIn(name) == expected);
    }

    // Adding many keys at once agrees with adding them one at a time.
    {
        const std::string prefix = lines.front().substr(0, 8);
        std::vector<std::string> batch = second;
        const size_t added = AddEachUnlessListed(first, prefix, batch);
        std::vector<std::string> single = second;
        size_t singleAdded = 0;
        for (const std::string& key : first) singleAdded += AddUnlessListed(key, prefix + key, single);
        Check(added == singleAdded && batch == single);
    }

    // The comparison agrees with the first-match walk.
    for (const bool namesOnly : {false, true}) {
        std::vector<std::string> fast = second;
        RemoveCommon(first, fast, namesOnly, nullptr);
        std::vector<std::string> slow = second;
        for (const std::string& f : first) {
            const std::string key = AsciiLower(namesOnly ? LastPathComponent(f) : std::string_view(f));
            for (size_t k = 0; k < slow.size(); ++k) {
                if (AsciiLower(namesOnly ? LastPathComponent(slow[k]) : std::string_view(slow[k])) == key) {
                    slow.erase(slow.begin() + static_cast<long>(k));
                    break;
                }
            }
        }
        Check(fast == slow);
    }
    {
        std::vector<std::string> exact = second;
        RemoveCommonExactCase(first, exact, nullptr);
        std::vector<std::string> slow = second;
        for (const std::string& f : first) {
            for (size_t k = 0; k < slow.size(); ++k) {
                if (slow[k] == f) {
                    slow.erase(slow.begin() + static_cast<long>(k));
                    break;
                }
            }
        }
        Check(exact == slow);
    }

    // The filters keep the entries in their order and remove only entries.
    SourceList filtered;
    for (const std::string& line : second)
        for (SourceEntry& entry : EntriesOf(line)) filtered.push_back(std::move(entry));
    const SourceList before = filtered;
    std::vector<std::string> names = second;
    if (!lines.empty()) {
        ExcludeBySuffix(lines.front(), filtered);
        ExcludeBySuffix(lines.front(), names);
    }
    FilterByKeys(first, filtered);
    size_t k = 0;
    for (const SourceEntry& entry : filtered) {
        while (k < before.size() && !(before[k] == entry)) ++k;
        Check(k < before.size());
        ++k;
    }
    Check(names.size() <= second.size());
    return 0;
}
