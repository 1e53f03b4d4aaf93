#pragma once
// Source lists and their entries. An entry is a value: what it names, its size, its
// modification time and its kind. A folder or list-file source lists local files, an FTP
// source the names in its remote folder, an HTTP source its address, a mail source one
// entry per message on the server. Lists belong to the run that made them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolin {

enum class EntryKind : uint8_t {
    LocalFile,    // name is a local path
    RemoteFile,   // name is a file name in the FTP source's folder
    Address,      // name is the address to download
    MailMessage,  // name is "Mail <number>", number the message on the server
};

struct SourceEntry {
    std::string name;
    int64_t size = 0;
    // Modification time as a file time (100 ns since 1601 UTC); 0 when none is known.
    int64_t modified = 0;
    EntryKind kind = EntryKind::LocalFile;
    int number = 0;  // the message number of a mail entry

    bool operator==(const SourceEntry&) const = default;
};

using SourceList = std::vector<SourceEntry>;

SourceEntry LocalFileEntry(std::string path, int64_t size, int64_t modified);
SourceEntry RemoteFileEntry(std::string name, int64_t size, int64_t modified);
SourceEntry AddressEntry(std::string address);
SourceEntry MailEntry(int number);

// Whether the entry came with the size and time of a file (local or remote) rather than
// being a bare name (an address, a mail message).
bool HasFileDetails(const SourceEntry& entry);

int64_t TotalEntrySize(const SourceList& list);

// Whether the name of some entry contains text, letter case ignored.
bool AnyNameContains(const SourceList& list, std::string_view text);

// The folder of a path: empty for an address ("://"); the path without its last
// component when that component looks like a file name or mask ("*", ".", "?") or force
// is set; otherwise the path itself.
std::string DirectoryPart(std::string_view path, bool force);

// The part of a path after its last separator (the whole path when it has none).
std::string_view LastPathComponent(std::string_view path);

}  // namespace ferrolin
