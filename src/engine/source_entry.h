#pragma once
// Source lists and their entries. A file entry is "path TAB size TAB modification
// date-time"; an HTTP source has its address as its only entry and a mail source
// "Mail <n>". Lists belong to the run that made them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"

namespace ferrolin {

using SourceList = std::vector<std::string>;

inline constexpr char kEntrySeparator = '\t';

// The three fields of an entry. Size and date are split off from the right, so a
// file name holding quotes or TABs of its own stays whole. An entry without TAB is
// all path.
struct EntryFields {
    std::string_view path;
    std::string_view size;
    std::string_view date;
    int count = 1;  // how many fields the entry has (1 to 3)
};
EntryFields SplitEntry(std::string_view entry);

// path TAB size TAB the date-time in the program-wide form.
std::string MakeEntry(std::string_view path, int64_t size, TDateTime modified);
// The same with the date-time already as text.
std::string MakeEntry(std::string_view path, int64_t size, std::string_view modified);

// Field 1 of entry i; empty when i is past the end.
std::string EntryPath(size_t i, const SourceList& list);
// 0 past the end; field 2 as a number (0 when it is not one); for an entry of one
// field, the size of that file.
int64_t EntrySize(size_t i, const SourceList& list);
int64_t TotalEntrySize(const SourceList& list);

// The size of a file, or 0 when it cannot be measured.
int64_t FileSize64(const std::string& path);

// Index of the first entry matching text: a whole number is taken as an index (-1 when
// out of range); otherwise, ignoring case, the first entry that contains the text
// (partial) or begins with it. -1 when none matches or there is no list.
int FindEntry(std::string_view text, const SourceList* list, bool partial);

// The folder of a path: empty for an address ("://"); the path without its last
// component when that component looks like a file name or mask ("*", ".", "?") or force
// is set; otherwise the path itself.
std::string DirectoryPart(std::string_view path, bool force);

// The part of a path after its last separator (the whole path when it has none).
std::string_view LastPathComponent(std::string_view path);

}  // namespace ferrolin
