#include "engine/list_filters.h"

#include <algorithm>

#include "common/text.h"
#include "engine/substring_set.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

void ExcludeBySuffix(std::string_view suffixText, SourceList& list) {
    if (suffixText.empty()) return;
    std::vector<std::string> suffixes;
    for (std::string& suffix : SplitFields(AsciiLower(suffixText), ';'))
        if (!suffix.empty()) suffixes.push_back(std::move(suffix));
    if (suffixes.empty()) return;
    const auto excluded = [&](const std::string& entry) {
        if (entry.empty()) return false;
        const EntryFields fields = SplitEntry(entry);
        std::string_view path = fields.path;
        if (fields.count > 1) {
            while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
        }
        for (const std::string& suffix : suffixes) {
            if (path.size() >= suffix.size() &&
                EqualsIgnoreAsciiCase(path.substr(path.size() - suffix.size()), suffix))
                return true;
        }
        return false;
    };
    list.erase(std::remove_if(list.begin(), list.end(), excluded), list.end());
}

std::string CompareName(std::string_view entry) {
    // An entry with details keeps its folder; a bare entry is reduced to its file name.
    const EntryFields fields = SplitEntry(entry);
    std::string name = AsciiLower(fields.count > 1 ? fields.path : LastPathComponent(fields.path));
    const size_t slash = name.rfind(platform::kPathSeparator);
    const size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

void FilterByKeys(const std::vector<std::string>& keys, SourceList& list) {
    const SubstringSet set(keys);
    if (set.empty()) return;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::string& entry) {
                                  return !set.AnyOccursIn(CompareName(entry));
                              }),
               list.end());
}

void FilterByCompareList(const std::string& path, SourceList& list) {
    if (path.empty() || !platform::FileExists(path)) return;
    FilterByKeys(ReadCompareKeys(path), list);
}

}  // namespace ferrolin
