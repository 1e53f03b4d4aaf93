#include "engine/folder_listing.h"

#include <algorithm>
#include <atomic>

#include "common/datetime.h"
#include "common/datetime_format.h"
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
    int64_t mtimeSeconds = 0;
    int64_t mtimeNanoseconds = 0;
};

void SortItems(std::vector<FileItem>& items) {
    std::sort(items.begin(), items.end(),
              [](const FileItem& a, const FileItem& b) { return NameLess(a.name, b.name); });
}

// Files of one tree often share their modification second; their date text is made once.
class DateTexts {
public:
    const std::string& For(int64_t seconds, int64_t nanoseconds) {
        const int64_t ms = nanoseconds / 1000000;
        if (!valid_ || seconds != seconds_ || ms != ms_) {
            text_ = DateTimeToStr(UnixToLocalDateTime(seconds, nanoseconds));
            seconds_ = seconds;
            ms_ = ms;
            valid_ = true;
        }
        return text_;
    }

private:
    bool valid_ = false;
    int64_t seconds_ = 0;
    int64_t ms_ = 0;
    std::string text_;
};

std::string DetailedEntry(const std::string& path, const FileItem& item, DateTexts& dates) {
    return MakeEntry(path, item.size, dates.For(item.mtimeSeconds, item.mtimeNanoseconds));
}

// One level of the recursive listing.
bool ListLevel(platform::FileSystem& fs, const std::string& folderWithSep, const std::string& mask,
               bool details, Surfaces* panel, const CancelToken* cancel, DateTexts& dates,
               SourceList& list) {
    std::vector<std::string> subfolders;
    std::vector<FileItem> files;
    const bool read = fs.ListFolder(
        folderWithSep, details,
        [&](const platform::DirEntryInfo& info) {
            if (!IsListedName(info.name)) return;
            if (info.isDirectory) {
                subfolders.push_back(info.name);
            } else if (info.isFile && MatchesFileMask(info.name, mask)) {
                files.push_back({info.name, info.size, info.mtimeSeconds, info.mtimeNanoseconds});
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
        if (!ListLevel(fs, folderWithSep + sub + kSep, mask, details, panel, cancel, dates, list))
            complete = false;
    }
    for (const FileItem& item : files) {
        std::string path = folderWithSep + item.name;
        list.push_back(details ? DetailedEntry(path, item, dates) : std::move(path));
    }
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

bool ListFilesRecursive(const std::string& pathWithMask, bool details, Surfaces* panel,
                        SourceList& list, const CancelToken* cancel, platform::FileSystem* fs) {
    const size_t slash = pathWithMask.rfind(kSep);
    if (slash == std::string::npos) return false;
    const std::string folder = pathWithMask.substr(0, slash + 1);
    const std::string mask = pathWithMask.substr(slash + 1);
    DateTexts dates;
    platform::LocalFileSystem local;
    return ListLevel(fs != nullptr ? *fs : local, folder, mask, details, panel, cancel, dates, list);
}

bool ListFolderFiles(const FolderAndMask& source, SourceList& list, platform::FileSystem* fs) {
    std::vector<FileItem> files;
    platform::LocalFileSystem local;
    const bool read = (fs != nullptr ? *fs : local).ListFolder(
        source.folder, true,
        [&](const platform::DirEntryInfo& info) {
            if (IsListedName(info.name) && info.isFile && MatchesFileMask(info.name, source.mask))
                files.push_back({info.name, info.size, info.mtimeSeconds, info.mtimeNanoseconds});
        },
        nullptr);
    SortItems(files);
    const std::string prefix = platform::JoinPath(source.folder, "");
    DateTexts dates;
    for (const FileItem& item : files) list.push_back(DetailedEntry(prefix + item.name, item, dates));
    return read;
}

SourceList ListFolderFiles(std::string_view folder, std::string_view masks, bool fullPaths) {
    std::string base(folder);
    if (base.size() > 1 && base.back() == kSep) base.pop_back();
    SourceList list;
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

SourceList ListFileSource(const std::string& listFile, int32_t* error, platform::FileSystems* files) {
    std::vector<std::string> lines;
    platform::ReadTextLines(listFile, lines, error);  // lines read before an error still count
    SourceList list;
    DateTexts dates;
    for (const std::string& line : lines) {
        platform::DirEntryInfo info;
        if (line.empty()) continue;
        if (files != nullptr && !files->For(line).IsLocal()) {
            const std::optional<platform::FileInfo> remote = files->For(line).Stat(line);
            if (!remote || !remote->Regular) continue;
            info.size = remote->Size;
            const struct timespec mtime = ToTimespec(remote->LastWriteTime);
            info.mtimeSeconds = mtime.tv_sec;
            info.mtimeNanoseconds = mtime.tv_nsec;
        } else if (!platform::ReadFileDetails(line, info, nullptr)) {
            continue;
        }
        if (info.size <= 0) continue;
        list.push_back(MakeEntry(line, info.size, dates.For(info.mtimeSeconds, info.mtimeNanoseconds)));
    }
    return list;
}

}  // namespace ferrolin
