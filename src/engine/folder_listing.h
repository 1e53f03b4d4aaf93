#pragma once
// Listing files of folders and of list files into source lists.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/source_entry.h"
#include "common/cancel_token.h"
#include "common/surfaces.h"
#include "platform/file_system.h"
#include "platform/file_systems.h"

namespace ferrolin {

// A folder source split into its folder and its file mask: "/out/*.mpg" gives "/out" and
// "*.mpg" (the last component holds a "."); "/out" gives "/out" and "*.*". A trailing
// separator is dropped from the folder.
struct FolderAndMask {
    std::string folder;
    std::string mask;
};
FolderAndMask SplitFolderAndMask(std::string_view source);

// Whether a name takes part in listings: not empty, and not a dot name of one or two
// characters ("." and ".." and the like).
bool IsListedName(std::string_view name);

// The files of folder/pathWithMask and of all folders below it, appended to list: the
// files of each subfolder (in name order, letter case ignored) before the folder's own
// files (in name order), each with its size and modification time. A panel gets
// "<count> searching... <folder>" before each subfolder.
// A stop request of cancel stops the descent; what was found is kept. Returns false when
// the listing is incomplete: a folder could not be read, or the descent was cancelled.
// The folders are read through fs (a share's, for a share path); null: this computer's.
bool ListFilesRecursive(const std::string& pathWithMask, Surfaces* panel, SourceList& list,
                        const CancelToken* cancel = nullptr, platform::FileSystem* fs = nullptr);

// The files of one folder matching its mask, in name order (letter case ignored), with
// their sizes and modification times. False when the folder could not be read.
bool ListFolderFiles(const FolderAndMask& source, SourceList& list,
                     platform::FileSystem* fs = nullptr);

// The files of a folder for each ";"-separated mask in order: full paths or bare names.
std::vector<std::string> ListFolderFiles(std::string_view folder, std::string_view masks,
                                         bool fullPaths);

// The files named by a list file, one full path per line, in line order; files that are
// missing, unreadable or empty are left out.
SourceList ListFileSource(const std::string& listFile);
// The same; error gets the errno (or named code) when the list file could not be read.
// Each named file is measured where it lies (files: a share's paths on the share).
// What the run does about lines on a share: usable decides before each line whether its
// share may be used (a logon); unreachable hears of a line whose share could not say
// whether the file is there (a missing file is left out silently, as a local one is).
struct ShareLineHooks {
    std::function<bool(const std::string& path)> usable;
    std::function<void(const std::string& path, int32_t error)> unreachable;
};
SourceList ListFileSource(const std::string& listFile, int32_t* error,
                          platform::FileSystems* files = nullptr,
                          const ShareLineHooks& shareHooks = {});

}  // namespace ferrolin
