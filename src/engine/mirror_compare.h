#pragma once
// Comparing a source list with a destination list for "Source is master".
#include <string>
#include <string_view>
#include <vector>

#include "common/surfaces.h"

namespace ferrolin {

// Removes from second every entry that has a counterpart in first. Keys are the whole
// entry, or with namesOnly its part after the last separator, lower-cased. Each entry
// of first, in order, removes the first remaining entry of second with an equal key, so
// it removes at most one. A panel shows "<i> removed of <count>" every tenth entry.
// Linear in the sizes of both lists.
void RemoveCommon(const std::vector<std::string>& first, std::vector<std::string>& second,
                  bool namesOnly, Surfaces* panel);

// The same with whole entries compared exactly, letter case included: the comparison of
// local paths, where names that differ only by case are different files.
void RemoveCommonExactCase(const std::vector<std::string>& first, std::vector<std::string>& second,
                           Surfaces* panel);

// Appends line (or key when line is empty) unless a line of list already contains key
// (exact letter case). True when it appended.
bool AddUnlessListed(std::string_view key, std::string_view line, std::vector<std::string>& list);

// The same as AddUnlessListed(key, prefix + key, list) for each key in order, lines added
// for earlier keys included, in time linear in the length of all the texts. Returns how
// many lines it appended.
size_t AddEachUnlessListed(const std::vector<std::string>& keys, std::string_view prefix,
                           std::vector<std::string>& list);

}  // namespace ferrolin
