#pragma once
// The two filters a job applies to its source list: excluded suffixes and the compare
// list file.
#include <string>
#include <string_view>
#include <vector>

#include "engine/source_entry.h"

namespace ferrolin {

// Removes every entry whose name (trailing blanks dropped for a file) ends with one of
// the ";"-separated suffixes, letter case ignored. A suffix is plain text: ".tmp",
// "thumbs.db" and "~" all work. Empty suffixes (".tmp;") are ignored.
void ExcludeBySuffix(std::string_view suffixes, SourceList& list);
// The same for bare file names.
void ExcludeBySuffix(std::string_view suffixes, std::vector<std::string>& names);

// The keys of a compare list file: from an INI section "CfgFilesToRender", else
// "FilesToCopy" ("Anz" lines "Line0", "Line1", ... each reduced to its lower-case file
// name before the first "."); without either section, every line of the file as it
// stands. Empty when the file is missing or unreadable.
std::vector<std::string> ReadCompareKeys(const std::string& path);

// The name an entry is matched against, lower-cased and cut before the first "." of its
// file name: the whole path for a file (so a key may also match a folder name), the
// last part of an address or a message's name.
std::string CompareName(const SourceEntry& entry);

// Keeps only the entries in whose compare name at least one key occurs. Nothing happens
// without keys. Linear in the total length of keys and entries.
void FilterByKeys(const std::vector<std::string>& keys, SourceList& list);

// ReadCompareKeys + FilterByKeys; nothing happens for an empty path or a missing file.
void FilterByCompareList(const std::string& path, SourceList& list);

}  // namespace ferrolin
