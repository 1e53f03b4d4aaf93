#pragma once
// Reading the entries of one folder, with the file details a source list needs.
#include <cstdint>
#include <functional>
#include <string>

namespace ferrolin::platform {

struct DirEntryInfo {
    std::string name;        // the entry's name inside the folder
    bool isDirectory = false;  // a real folder (symbolic links to folders are not folders)
    bool isFile = false;     // a regular file, or a symbolic link that leads to one
    int64_t size = 0;        // bytes; only with details
    int64_t mtimeSeconds = 0;  // last modification, seconds since 1970 UTC; only with details
    int64_t mtimeNanoseconds = 0;
};

// Calls visit once per entry of folder, "." and ".." left out, in the order the file
// system gives them. With details, size and modification time are filled in for files
// (an entry that vanished before it could be measured is passed with isFile false).
// Returns false when the folder cannot be opened or read to its end; errorCode then
// holds the errno value.
bool ForEachDirEntry(const std::string& folder, bool details,
                     const std::function<void(const DirEntryInfo&)>& visit, int32_t* errorCode);

// Size and modification time of one file, links followed. False (errorCode set) when
// the path cannot be measured or is not a regular file.
bool ReadFileDetails(const std::string& path, DirEntryInfo& info, int32_t* errorCode);

}  // namespace ferrolin::platform
