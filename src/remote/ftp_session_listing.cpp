// Changing folder, listing, and the names in the server's character set.
#include <ctime>

#include "common/datetime_format.h"
#include "platform/file_time_units.h"
#include "protocols/cp1252.h"
#include "remote/ftp_session.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {
constexpr size_t kMaxReportedLines = 1000;
}  // namespace

std::string FtpSession::FromServer(std::string_view bytes) const {
    return client_.Features().utf8 ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::optional<std::string> FtpSession::ServerPath(std::string_view path) {
    std::string absolute;
    if (!path.empty() && path.front() == '/') {
        absolute = path;
    } else {
        absolute = folder_.empty() ? "/" : folder_;
        if (absolute.back() != '/') absolute += '/';
        absolute += path;
    }
    if (client_.Features().utf8) return absolute;
    auto bytes = Utf8ToCp1252(absolute);
    if (!bytes)
        lastError_ = "The name cannot be written in the server's character set: " + absolute;
    return bytes;
}

void FtpSession::ClearListing() {
    listing_.clear();
    rawListing_.clear();
    listingComplete_ = false;
    if (view_) view_->ListingChanged();
}

bool FtpSession::ChangeDir(const std::string& folder, bool force) {
    if (folder.empty() && !force) return true;
    if (client_.Busy()) {
        Refuse(std::string(kFtpChangeDirFailed));
        return true;
    }
    BeginOperation();
    // A listing that is not of this folder must never outlive a failure: callers delete
    // remote files by the names it holds.
    listing_.clear();
    rawListing_.clear();
    listingComplete_ = false;
    std::string serverFolder;
    std::string text;
    FtpListFormat format = FtpListFormat::List;
    if (!ListFolder(folder, serverFolder, text, format)) return ChangeDirFailed();
    folder_ = FromServer(serverFolder);
    std::vector<std::string> skippedLines = TakeListing(text, format);
    if (!client_.ListingTimesExact() && !FillExactTimes(serverFolder)) {
        listing_.clear();
        return ChangeDirFailed();
    }
    listingComplete_ = skippedLines.empty();
    ReportSkippedLines(skippedLines);
    KeepRawLines(text);
    state_ = FtpOperationState::Done;
    if (view_) view_->ListingChanged();
    AfterOperation();
    return true;
}

bool FtpSession::ChangeDirFailed() {
    Fail(std::string(kFtpChangeDirFailed));
    if (view_) view_->ListingChanged();
    AfterOperation();
    return true;
}

bool FtpSession::ListFolder(const std::string& folder, std::string& serverFolder, std::string& text,
                            FtpListFormat& format) {
    if (!client_.IsOpen()) {
        lastError_ = "Not connected";
        return false;
    }
    const auto target = folder.empty() ? std::optional<std::string>("") : ServerPath(folder);
    return target && client_.ChangeFolder(*target, serverFolder, PumpOnly(), lastError_) &&
           client_.List(serverFolder, text, format, PumpOnly(), lastError_);
}

std::vector<std::string> FtpSession::TakeListing(const std::string& text, FtpListFormat format) {
    FtpListing parsed = ParseFtpListing(text, format, static_cast<int64_t>(std::time(nullptr)));
    // "ls -l"-style listings of SFTP servers name the folder and its parent too.
    std::erase_if(parsed.entries, [](const FtpEntry& entry) {
        return entry.type == FtpEntryType::Directory &&
               (entry.serverName == "." || entry.serverName == "..");
    });
    for (FtpEntry& entry : parsed.entries) {
        entry.name = FromServer(entry.serverName);
        entry.refused = IsRefusedRemoteName(entry.serverName) || IsRefusedRemoteName(entry.name);
    }
    listing_ = std::move(parsed.entries);
    return std::move(parsed.skippedLines);
}

void FtpSession::ReportSkippedLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (reportedLines_.size() < kMaxReportedLines && reportedLines_.insert(line).second &&
            logSink_) {
            logSink_(std::string(kFtpListingLineSkipped) + FromServer(line));
        }
    }
}

// The raw lines for the window, the "total" line of ls-style listings left out.
void FtpSession::KeepRawLines(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (rawListing_.empty() && line.find("total") != std::string::npos) continue;
        rawListing_.push_back(FromServer(line));
    }
}

// Each file's size and time as the server keeps them (the listing's are to the minute,
// in the server's time zone). A file that went away meanwhile keeps what the listing
// said; a Cancel fails the listing.
bool FtpSession::FillExactTimes(const std::string& serverFolder) {
    std::string folder = serverFolder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    for (FtpEntry& entry : listing_) {
        if (entry.type == FtpEntryType::Directory || entry.refused) continue;
        FtpFileFacts facts;
        std::string error;
        if (client_.FileFacts(folder + entry.serverName, facts, PumpOnly(), error)) {
            if (facts.unixTime) entry.fileTime = UnixToFileTime(*facts.unixTime, 0);
            if (facts.size) entry.size = *facts.size;
        } else if (CancelRequested()) {
            lastError_ = error;
            return false;
        }
    }
    return true;
}

std::vector<FtpEntry> FtpSession::RemoteFiles() const {
    std::vector<FtpEntry> files;
    for (const FtpEntry& entry : listing_) {
        if (entry.type != FtpEntryType::Directory) files.push_back(entry);
    }
    return files;
}

std::vector<std::string> FtpSession::GetRemoteFilenames() const {
    std::vector<std::string> lines;
    for (const FtpEntry& entry : listing_) {
        if (entry.type == FtpEntryType::Directory || entry.refused) continue;
        const TDateTime moment = entry.fileTime != 0 ? FileTimeToLocalDateTime(entry.fileTime) : 0;
        lines.push_back(entry.name + '\t' + std::to_string(entry.size) + '\t' +
                        DateTimeToStr(moment));
    }
    return lines;
}

}  // namespace ferrolin
