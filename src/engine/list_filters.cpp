#include "engine/list_filters.h"

#include <algorithm>

#include "common/text.h"
#include "engine/substring_set.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// The non-empty ";"-separated suffixes, lower-cased.
std::vector<std::string> Suffixes(std::string_view text) {
    std::vector<std::string> suffixes;
    for (std::string& suffix : SplitFields(AsciiLower(text), ';'))
        if (!suffix.empty()) suffixes.push_back(std::move(suffix));
    return suffixes;
}

bool EndsWithOne(std::string_view path, const std::vector<std::string>& suffixes) {
    for (const std::string& suffix : suffixes) {
        if (path.size() >= suffix.size() &&
            EqualsIgnoreAsciiCase(path.substr(path.size() - suffix.size()), suffix))
            return true;
    }
    return false;
}

}  // namespace

void ExcludeBySuffix(std::string_view suffixText, SourceList& list) {
    const std::vector<std::string> suffixes = Suffixes(suffixText);
    if (suffixes.empty()) return;
    const auto excluded = [&](const SourceEntry& entry) {
        std::string_view path = entry.name;
        if (HasFileDetails(entry)) {
            while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
        }
        return EndsWithOne(path, suffixes);
    };
    list.erase(std::remove_if(list.begin(), list.end(), excluded), list.end());
}

void ExcludeBySuffix(std::string_view suffixText, std::vector<std::string>& names) {
    const std::vector<std::string> suffixes = Suffixes(suffixText);
    if (suffixes.empty()) return;
    const auto excluded = [&](const std::string& name) { return EndsWithOne(name, suffixes); };
    names.erase(std::remove_if(names.begin(), names.end(), excluded), names.end());
}

std::string CompareName(const SourceEntry& entry) {
    // A file keeps its folder; an address or a message is reduced to its last part.
    const std::string_view part =
        HasFileDetails(entry) ? std::string_view(entry.name) : LastPathComponent(entry.name);
    std::string name = AsciiLower(part);
    const size_t slash = name.rfind(platform::kPathSeparator);
    const size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

void FilterByKeys(const std::vector<std::string>& keys, SourceList& list) {
    const SubstringSet set(keys);
    if (set.empty()) return;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const SourceEntry& entry) {
                                  return !set.AnyOccursIn(CompareName(entry));
                              }),
               list.end());
}

void FilterByCompareList(const std::string& path, SourceList& list) {
    if (path.empty() || !platform::FileExists(path)) return;
    FilterByKeys(ReadCompareKeys(path), list);
}

}  // namespace ferrolin
