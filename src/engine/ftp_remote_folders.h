#pragma once
// What an upload knows of its destination folders on the server: the names each folder
// held when the run first used it (one listing per folder), and the names this run sends
// there. A subfolder the server lacks is made (MKD), level by level, so a recursive
// source keeps its tree. Temporary names are chosen against both sets of names.
#include <map>
#include <set>
#include <string>

namespace ferrolin {

class FtpSession;

class FtpRemoteFolders {
  public:
    struct Folder {
        std::string path;  // absolute, ending in "/"
        // The folder was listed completely: a name not in names is not on the server.
        bool listed = false;
        std::set<std::string> names;  // listed entries, then this run's files
    };

    // root: the destination folder as FtpFolderOf gives it ("" for "/").
    FtpRemoteFolders(FtpSession& ftp, const std::string& root);

    // The folder relative below the root ("" for the root itself, "a/b"), listed on its
    // first use; a missing subfolder is made first. nullptr (error says why) when it can
    // neither be entered nor made. A root that cannot be listed is still used, unlisted:
    // some servers let a folder be written but not read.
    Folder* Enter(const std::string& relative, std::string& error);

    // Notes names this run will send to the folder relative (before any is sent), so no
    // temporary name takes one of them.
    void Reserve(const std::string& relative, const std::string& name);
    bool Taken(const Folder& folder, const std::string& name) const;
    // The absolute path of the folder relative below the root, ending in "/".
    std::string PathOf(const std::string& relative) const;

  private:
    FtpSession& ftp_;
    std::string root_;
    std::map<std::string, Folder> folders_;
    std::map<std::string, std::set<std::string>> reserved_;  // by folder path
};

}  // namespace ferrolin
