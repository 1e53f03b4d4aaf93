// Reading the keys of a compare list file.
#include <charconv>

#include "common/text.h"
#include "config/profile_file.h"
#include "engine/list_filters.h"
#include "platform/text_lines.h"

namespace ferrolin {

namespace {

// The file name of a listed path. Compare list files are written by playout systems on
// other stations too, so a Windows path ("D:\Play\Spot12.mpg") counts as a path as well.
std::string_view ListedFileName(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::vector<std::string> ReadCompareKeys(const std::string& path) {
    std::vector<std::string> keys;
    const ProfileFile ini(path);
    for (const char* section : {"CfgFilesToRender", "FilesToCopy"}) {
        if (!ini.SectionExists(section)) continue;
        // Only "Line<k>" keys that exist are read: a missing one would be an empty key,
        // which matches nothing, so a huge "Anz" costs nothing.
        const int32_t count = ini.ReadInteger(section, "Anz", 0);
        for (const std::string& name : ini.ReadKeyNames(section)) {
            if (name.size() < 5 || !EqualsIgnoreAsciiCase(name.substr(0, 4), "line")) continue;
            int32_t k = -1;
            const auto result = std::from_chars(name.data() + 4, name.data() + name.size(), k);
            if (result.ec != std::errc() || k < 0 || k >= count ||
                std::to_string(k) != std::string_view(name).substr(4))
                continue;
            const std::string value = ini.ReadString(section, name, "");
            std::string key = AsciiLower(ListedFileName(value));
            const size_t dot = key.find('.');
            if (dot != std::string::npos) key.resize(dot);
            if (!key.empty()) keys.push_back(std::move(key));
        }
        return keys;
    }
    // No section: the file is a plain list, every line a key as it stands.
    std::vector<std::string> lines;
    platform::ReadTextLines(path, lines);
    for (std::string& line : lines)
        if (!line.empty()) keys.push_back(std::move(line));
    return keys;
}

}  // namespace ferrolin
