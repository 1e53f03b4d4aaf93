// The FTP client window's host memory, listing rows and download plan.
#include "remote/ftp_window_model.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "config/profile_file.h"

namespace ferrolin {

namespace {
constexpr std::string_view kSection = "Server";
constexpr std::string_view kKey = "FTPHOST";

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}
}  // namespace

std::string FtpHostFile(const std::string& programDir) { return programDir + "/FtpHost.ini"; }

std::string ReadFtpHost(const std::string& programDir) {
    return ProfileFile(FtpHostFile(programDir)).ReadString(kSection, kKey, kKey);
}

bool WriteFtpHost(const std::string& programDir, const std::string& host) {
    try {
        ProfileFile(FtpHostFile(programDir)).WriteString(kSection, kKey, host);
        return true;
    } catch (const ProfileWriteError&) {
        return false;
    }
}

bool IsFolderEntry(const FtpEntry& entry) { return entry.type == FtpEntryType::Directory; }

std::vector<FtpListingRow> FtpListingRows(const std::vector<FtpEntry>& entries) {
    const DateTimeFormats& formats = Formats();
    std::vector<FtpListingRow> rows;
    rows.reserve(entries.size());
    for (const FtpEntry& entry : entries) {
        FtpListingRow row;
        row.name = entry.name;
        row.size = std::to_string(entry.size);
        row.type = IsFolderEntry(entry) ? "Directory" : "File";
        if (entry.fileTime != 0) {
            const TDateTime local = FileTimeToLocalDateTime(entry.fileTime);
            const DateParts d = DecodeDate(local);
            const TimeParts t = DecodeTime(local);
            row.modified = TwoDigits(d.month) + formats.DateSeparator + TwoDigits(d.day) +
                           formats.DateSeparator + std::to_string(d.year) + ' ' +
                           TwoDigits(t.hour) + formats.TimeSeparator + TwoDigits(t.minute);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<int64_t> ExistingFileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    return static_cast<int64_t>(info.st_size);
}

FtpDownloadPlan PlanFtpDownload(int64_t remoteSize, std::optional<int64_t> existing,
                                Answer answer) {
    if (!existing) return {FtpDownloadPlan::Mode::Overwrite, remoteSize};
    switch (answer) {
        case Answer::Yes:
            return {FtpDownloadPlan::Mode::Resume, remoteSize - *existing};
        case Answer::No:
            return {FtpDownloadPlan::Mode::Overwrite, remoteSize};
        default:
            return {FtpDownloadPlan::Mode::Nothing, 0};
    }
}

}  // namespace ferrolin
