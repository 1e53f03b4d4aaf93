#pragma once
// Small file-system services around the copier: shortcuts instead of copies, telling
// whether a path lies on another computer, the computer's name and the program's version.
#include <string>

namespace ferrolin {

// Creates a shortcut to Target at LinkPath: here a symbolic link. ".lnk" is appended to
// LinkPath unless it already holds ".lnk" (in any case). WorkingFolder has no place in a
// symbolic link and is not stored. True when the link was created.
bool CreateShortcut(const std::string& Target, const std::string& WorkingFolder,
                    const std::string& LinkPath);

// The name LinkPath gets: ".lnk" appended unless it holds ".lnk" already.
std::string ShortcutName(const std::string& LinkPath);

// True when Path lies on another computer: a share path (//server/...) whose server is
// not this computer, or a path on a network file system.
bool IsRemotePath(const std::string& Path);

// This computer's name, read once: the system's host name, or the text of the first
// environment entry holding "computername=" (any case).
std::string LocalComputerName();

// The ten standard version strings; the program shows fFileVersion.
struct FileVersionInfo {
    std::string fCompanyName;
    std::string fFileDescription;
    std::string fFileVersion;
    std::string fInternalName;
    std::string fLegalCopyright;
    std::string fLegalTrademarks;
    std::string fOriginalFilename;
    std::string fProductName;
    std::string fProductVersion;
    std::string fComments;
};

// The version strings of FileName; empty FileName means the program itself, whose
// version the build stamps in. Other files carry no version resource on this system and
// give empty strings.
FileVersionInfo ReadVersionInfo(const std::string& FileName = {});

}  // namespace ferrolin
