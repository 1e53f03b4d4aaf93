#pragma once
// Everything a folder holds, to compare before and after a command: each file's path
// below the folder with its bytes and modification time, and each subfolder.
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_dir.h"

namespace ferrolin::test {

struct TreeEntry {
    std::string content;  // "<folder>" for a subfolder
    std::filesystem::file_time_type modified;
    bool operator==(const TreeEntry&) const = default;
};

using TreeSnapshot = std::map<std::string, TreeEntry>;

inline TreeSnapshot SnapshotTree(const std::string& root) {
    namespace fs = std::filesystem;
    TreeSnapshot tree;
    if (!fs::exists(root)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string below = fs::relative(entry.path(), root).string();
        const bool folder = entry.is_directory();
        tree[below] = {folder ? "<folder>" : ReadFile(entry.path().string()),
                       folder ? fs::file_time_type() : entry.last_write_time()};
    }
    return tree;
}

// The paths whose entries differ between two snapshots (added, removed or changed), one
// a line, for a readable failure.
inline std::string TreeDifference(const TreeSnapshot& before, const TreeSnapshot& after) {
    std::string text;
    for (const auto& [path, entry] : before) {
        const auto it = after.find(path);
        if (it == after.end())
            text += "removed " + path + "\n";
        else if (!(it->second == entry))
            text += "changed " + path + "\n";
    }
    for (const auto& [path, entry] : after)
        if (before.count(path) == 0) text += "added " + path + "\n";
    return text;
}

}  // namespace ferrolin::test
