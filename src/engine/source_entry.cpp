#include "engine/source_entry.h"

#include <charconv>
#include <limits>

#include "common/datetime_format.h"
#include "common/text.h"
#include "platform/dir_listing.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// Whole decimal number with an optional sign, nothing else.
bool ParseInt64(std::string_view text, int64_t& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

EntryFields SplitEntry(std::string_view entry) {
    EntryFields fields;
    const size_t last = entry.rfind(kEntrySeparator);
    if (last == std::string_view::npos) {
        fields.path = entry;
        return fields;
    }
    const size_t before = last == 0 ? std::string_view::npos
                                    : entry.rfind(kEntrySeparator, last - 1);
    if (before == std::string_view::npos) {
        fields.path = entry.substr(0, last);
        fields.size = entry.substr(last + 1);
        fields.count = 2;
        return fields;
    }
    fields.path = entry.substr(0, before);
    fields.size = entry.substr(before + 1, last - before - 1);
    fields.date = entry.substr(last + 1);
    fields.count = 3;
    return fields;
}

std::string MakeEntry(std::string_view path, int64_t size, TDateTime modified) {
    return MakeEntry(path, size, DateTimeToStr(modified));
}

std::string MakeEntry(std::string_view path, int64_t size, std::string_view date) {
    std::string entry;
    entry.reserve(path.size() + date.size() + 24);
    entry.append(path);
    entry.push_back(kEntrySeparator);
    entry.append(std::to_string(size));
    entry.push_back(kEntrySeparator);
    entry.append(date);
    return entry;
}

std::string EntryPath(size_t i, const SourceList& list) {
    if (i >= list.size()) return {};
    return std::string(SplitEntry(list[i]).path);
}

int64_t EntrySize(size_t i, const SourceList& list) {
    if (i >= list.size()) return 0;
    const EntryFields fields = SplitEntry(list[i]);
    if (fields.count == 1) return FileSize64(std::string(fields.path));
    int64_t size = 0;
    return ParseInt64(fields.size, size) ? size : 0;
}

int64_t TotalEntrySize(const SourceList& list) {
    int64_t total = 0;
    for (size_t i = 0; i < list.size(); ++i) total += EntrySize(i, list);
    return total;
}

int64_t FileSize64(const std::string& path) {
    platform::DirEntryInfo info;
    return !path.empty() && platform::ReadFileDetails(path, info, nullptr) ? info.size : 0;
}

int FindEntry(std::string_view text, const SourceList* list, bool partial) {
    if (list == nullptr) return -1;
    int64_t index = 0;
    if (ParseInt64(text, index)) {
        return index >= 0 && index < static_cast<int64_t>(list->size()) &&
                       index <= std::numeric_limits<int>::max()
                   ? static_cast<int>(index)
                   : -1;
    }
    const std::string wanted = AsciiLower(text);
    for (size_t i = 0; i < list->size(); ++i) {
        const std::string entry = AsciiLower((*list)[i]);
        const bool match = partial ? entry.find(wanted) != std::string::npos
                                   : entry.compare(0, wanted.size(), wanted) == 0;
        if (match) return static_cast<int>(i);
    }
    return -1;
}

std::string_view LastPathComponent(std::string_view path) {
    const size_t slash = path.rfind(platform::kPathSeparator);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(std::string_view path, bool force) {
    if (path.find("://") != std::string_view::npos) return {};
    const size_t slash = path.rfind(platform::kPathSeparator);
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (force || last.find_first_of("*.?") != std::string_view::npos) {
        return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
    }
    return std::string(path);
}

}  // namespace ferrolin
