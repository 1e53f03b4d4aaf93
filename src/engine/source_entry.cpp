#include "engine/source_entry.h"

#include <utility>

#include "common/text.h"
#include "platform/path.h"

namespace ferrolin {

SourceEntry LocalFileEntry(std::string path, int64_t size, int64_t modified) {
    return {std::move(path), size, modified, EntryKind::LocalFile, 0};
}

SourceEntry RemoteFileEntry(std::string name, int64_t size, int64_t modified) {
    return {std::move(name), size, modified, EntryKind::RemoteFile, 0};
}

SourceEntry AddressEntry(std::string address) {
    return {std::move(address), 0, 0, EntryKind::Address, 0};
}

SourceEntry MailEntry(int number) {
    return {"Mail " + std::to_string(number), 0, 0, EntryKind::MailMessage, number};
}

bool HasFileDetails(const SourceEntry& entry) {
    return entry.kind == EntryKind::LocalFile || entry.kind == EntryKind::RemoteFile;
}

int64_t TotalEntrySize(const SourceList& list) {
    int64_t total = 0;
    for (const SourceEntry& entry : list) total += entry.size;
    return total;
}

bool AnyNameContains(const SourceList& list, std::string_view text) {
    const std::string wanted = AsciiLower(text);
    for (const SourceEntry& entry : list)
        if (AsciiLower(entry.name).find(wanted) != std::string::npos) return true;
    return false;
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
