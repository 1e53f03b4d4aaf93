#include "files/fs_helpers.h"

#include <cstring>

#include "common/text.h"
#include "platform/computer.h"
#include "platform/links.h"
#include "platform/path.h"
#include "version.h"

extern char** environ;

namespace ferrolin {

std::string ShortcutName(const std::string& LinkPath) {
    if (AsciiLower(LinkPath).find(".lnk") != std::string::npos) return LinkPath;
    return LinkPath + ".lnk";
}

bool CreateShortcut(const std::string& Target, const std::string& /*WorkingFolder*/,
                    const std::string& LinkPath) {
    return platform::CreateSymbolicLink(Target, ShortcutName(LinkPath));
}

std::string LocalComputerName() {
    // Asked each time (one uname): only share paths need it, and a cache would be state
    // shared by every station of the process.
    std::string name = platform::ComputerName();
    if (!name.empty()) return name;
    constexpr std::string_view kKey = "computername=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (AsciiLower(text).find(kKey) != std::string::npos)
            return text.size() > kKey.size() ? text.substr(kKey.size()) : std::string();
    }
    return {};
}

bool IsRemotePath(const std::string& Path) {
    if (Path.size() < 3) return false;
    if (platform::IsSharePath(Path)) {
        const size_t end = Path.find(platform::kPathSeparator, 2);
        const std::string server = Path.substr(2, end == std::string::npos ? end : end - 2);
        return !EqualsIgnoreAsciiCase(server, LocalComputerName());
    }
    return platform::IsOnNetworkFileSystem(Path);
}

FileVersionInfo ReadVersionInfo(const std::string& FileName) {
    FileVersionInfo info;
    if (!FileName.empty()) return info;
    info.fFileVersion = FERROLIN_VERSION;
    info.fProductVersion = FERROLIN_VERSION;
    info.fProductName = "Ferrolin";
    info.fInternalName = "Ferrolin";
    info.fFileDescription = "Ferrolin file-transfer station";
    return info;
}

}  // namespace ferrolin
