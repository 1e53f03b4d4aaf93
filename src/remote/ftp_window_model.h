#pragma once
// What the FTP client window shows and decides, without the window: the host memory file,
// the texts of a listing row, and how a download treats a local file that already exists.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/surfaces.h"
#include "protocols/ftp_listing.h"

namespace ferrolin {

inline constexpr std::string_view kFtpWindowCaption = "Indy FTP client demo";
inline constexpr std::string_view kFtpResumeQuestion =
    "File aready exists. Do you want to resume the download operation?";
inline constexpr std::string_view kFtpMakeDirTitle = "Make new directory";
inline constexpr std::string_view kFtpMakeDirPrompt = "Name";

// "FtpHost.ini" in the program's folder, [Server] FTPHOST: the host of the last connection
// that reached a listing. A missing key reads as the key's name, "FTPHOST".
std::string FtpHostFile(const std::string& programDir);
std::string ReadFtpHost(const std::string& programDir);
// False when the file cannot be written.
bool WriteFtpHost(const std::string& programDir, const std::string& host);

// One listing row as the window draws it: name, size in bytes, "File" or "Directory",
// "mm/dd/yyyy hh:mm" with the program's separators (empty without a time).
struct FtpListingRow {
    std::string name;
    std::string size;
    std::string type;
    std::string modified;
};
std::vector<FtpListingRow> FtpListingRows(const std::vector<FtpEntry>& entries);
bool IsFolderEntry(const FtpEntry& entry);

// How a download goes once the save dialog named its local file.
struct FtpDownloadPlan {
    enum class Mode { Overwrite, Resume, Nothing } mode = Mode::Overwrite;
    int64_t bytesToTransfer = 0;  // what the progress counts
};
// The size of the file at the chosen path, nothing when there is none.
std::optional<int64_t> ExistingFileSize(const std::string& path);
// remoteSize: the listed size; existing: ExistingFileSize of the chosen path; answer: the
// reply to kFtpResumeQuestion (only asked when the file exists).
FtpDownloadPlan PlanFtpDownload(int64_t remoteSize, std::optional<int64_t> existing,
                                Answer answer);

}  // namespace ferrolin
