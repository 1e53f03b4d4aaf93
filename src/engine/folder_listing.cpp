#include "engine/folder_listing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "common/text.h"
#include "engine/file_mask.h"
#include "platform/dir_listing.h"
#include "platform/file_time_units.h"
#include "platform/local_file_system.h"
#include "platform/path.h"
#include "platform/text_lines.h"

namespace ferrolin {

namespace {

constexpr char kSep = platform::kPathSeparator;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Name order with letter case ignored; names equal but for case (possible on this file
// system) are kept both, in byte order, so no file is dropped as a duplicate.
bool NameLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        const char x = LowerAscii(a[k]);
        const char y = LowerAscii(b[k]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

struct FileItem {
    std::string name;
    int64_t size = 0;
    int64_t modified = 0;  // file time
};

FileItem ItemOf(const platform::DirEntryInfo& info) {
    return {info.name, info.size, UnixToFileTime(info.mtimeSeconds, info.mtimeNanoseconds)};
}

void SortItems(std::vector<FileItem>& items) {
    std::sort(items.begin(), items.end(),
              [](const FileItem& a, const FileItem& b) { return NameLess(a.name, b.name); });
}

// One level of the recursive listing.
bool ListLevel(platform::FileSystem& fs, const std::string& folderWithSep, const std::string& mask,
               Surfaces* panel, const CancelToken* cancel, SourceList& list) {
    std::vector<std::string> subfolders;
    std::vector<FileItem> files;
    const bool read = fs.ListFolder(
        folderWithSep, true,
        [&](const platform::DirEntryInfo& info) {
            if (!IsListedName(info.name)) return;
            if (info.isDirectory) {
                subfolders.push_back(info.name);
            } else if (info.isFile && MatchesFileMask(info.name, mask)) {
                files.push_back(ItemOf(info));
            }
        },
        nullptr);
    bool complete = read;
    std::sort(subfolders.begin(), subfolders.end(), NameLess);
    SortItems(files);
    for (const std::string& sub : subfolders) {
        if (cancel != nullptr && cancel->StopRequested()) {
            complete = false;
            break;
        }
        if (panel != nullptr) {
            panel->SetStatusText(std::to_string(list.size()) + " searching... " + folderWithSep);
            panel->ProcessMessages();
        }
        if (!ListLevel(fs, folderWithSep + sub + kSep, mask, panel, cancel, list))
            complete = false;
    }
    for (const FileItem& item : files)
        list.push_back(LocalFileEntry(folderWithSep + item.name, item.size, item.modified));
    return complete;
}

}  // namespace

bool IsListedName(std::string_view name) {
    return !name.empty() && (name.front() != '.' || name.size() > 2);
}

FolderAndMask SplitFolderAndMask(std::string_view source) {
    const size_t slash = source.rfind(kSep);
    const std::string_view last = slash == std::string_view::npos ? source : source.substr(slash + 1);
    FolderAndMask result;
    if (last.find('.') != std::string_view::npos && slash != std::string_view::npos) {
        result.folder = std::string(source.substr(0, slash));
        result.mask = std::string(last);
    } else {
        result.folder = std::string(source);
        result.mask = "*.*";
    }
    while (result.folder.size() > 1 && result.folder.back() == kSep) result.folder.pop_back();
    return result;
}

bool ListFilesRecursive(const std::string& pathWithMask, Surfaces* panel, SourceList& list,
                        const CancelToken* cancel, platform::FileSystem* fs) {
    const size_t slash = pathWithMask.rfind(kSep);
    if (slash == std::string::npos) return false;
    const std::string folder = pathWithMask.substr(0, slash + 1);
    const std::string mask = pathWithMask.substr(slash + 1);
    platform::LocalFileSystem local;
    return ListLevel(fs != nullptr ? *fs : local, folder, mask, panel, cancel, list);
}

bool ListFolderFiles(const FolderAndMask& source, SourceList& list, platform::FileSystem* fs) {
    std::vector<FileItem> files;
    platform::LocalFileSystem local;
    const bool read = (fs != nullptr ? *fs : local).ListFolder(
        source.folder, true,
        [&](const platform::DirEntryInfo& info) {
            if (IsListedName(info.name) && info.isFile && MatchesFileMask(info.name, source.mask))
                files.push_back(ItemOf(info));
        },
        nullptr);
    SortItems(files);
    const std::string prefix = platform::JoinPath(source.folder, "");
    for (const FileItem& item : files)
        list.push_back(LocalFileEntry(prefix + item.name, item.size, item.modified));
    return read;
}

std::vector<std::string> ListFolderFiles(std::string_view folder, std::string_view masks,
                                         bool fullPaths) {
    std::string base(folder);
    if (base.size() > 1 && base.back() == kSep) base.pop_back();
    std::vector<std::string> list;
    for (const std::string& mask : SplitFields(masks, ';')) {
        std::vector<std::string> names;
        platform::ForEachDirEntry(
            base, false,
            [&](const platform::DirEntryInfo& info) {
                if (info.isFile && info.name.front() != '.' && MatchesFileMask(info.name, mask))
                    names.push_back(info.name);
            },
            nullptr);
        std::sort(names.begin(), names.end(), NameLess);
        for (std::string& name : names)
            list.push_back(fullPaths ? platform::JoinPath(base, name) : std::move(name));
    }
    return list;
}

SourceList ListFileSource(const std::string& listFile) { return ListFileSource(listFile, nullptr); }

SourceList ListFileSource(const std::string& listFile, int32_t* error, platform::FileSystems* files,
                          const ShareLineHooks& shareHooks) {
    std::vector<std::string> lines;
    platform::ReadTextLines(listFile, lines, error);  // lines read before an error still count
    SourceList list;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        if (files != nullptr && !files->For(line).IsLocal()) {
            // A file on a share is measured there, once the share may be used.
            if (shareHooks.usable && !shareHooks.usable(line)) continue;
            errno = 0;
            const std::optional<platform::FileInfo> remote = files->For(line).Stat(line);
            const int32_t statError = errno;
            if (remote && remote->Regular && remote->Size > 0)
                list.push_back(LocalFileEntry(line, remote->Size, remote->LastWriteTime));
            else if (!remote && statError != ENOENT && statError != ENOTDIR &&
                     shareHooks.unreachable)
                shareHooks.unreachable(line, statError);
            continue;
        }
        platform::DirEntryInfo info;
        if (!platform::ReadFileDetails(line, info, nullptr) || info.size <= 0) continue;
        list.push_back(LocalFileEntry(line, info.size, ItemOf(info).modified));
    }
    return list;
}

}  // namespace ferrolin
