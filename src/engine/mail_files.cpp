#include "engine/mail_files.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/datetime_format.h"
#include "common/log.h"
#include "engine/folder_listing.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/text_lines.h"
#include "protocols/attachment_name.h"
#include "protocols/staged_file.h"

namespace ferrolin {
namespace {

bool WriteLines(const std::string& path, const std::vector<std::string>& lines,
                std::string& error) {
    if (platform::WriteTextLinesAtomically(path, lines)) return true;
    error = path + ": " + platform::ErrorMessage(platform::LastError());
    return false;
}

// Streams the content write() produces into path; nothing appears under path unless
// all of it was written.
template <typename Writer>
bool WriteStaged(const std::string& folder, const std::string& path, Writer write,
                 std::string& error) {
    std::optional<StagedFile> file = StagedFile::Create(folder, error);
    return file && write(file->fd(), error) && file->Commit(path, error);
}

// A name from the message as it may appear in a log line: control characters shown as "?".
std::string Printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return shown;
}

bool StoreAttachment(RunContext& run, const std::string& folder, const MimeMessage& message,
                     size_t index, std::string& error) {
    const std::string& given = message.Parts()[index].fileName;
    // A made-up name carries the part's number, so two nameless parts never share one.
    const AttachmentName safe = SafeAttachmentName(
        given, MailFileStamp(run) + " Attachment " + std::to_string(index + 1) + ".bin");
    if (safe.changed)
        WriteLog(0, run.LogFile,
                 "Attachment name \"" + Printable(given) + "\" changed to \"" + safe.name + "\"");
    const std::string path = platform::JoinPath(folder, safe.name);
    platform::DeleteFile(path);  // the old file goes first, as a failed save leaves none
    return WriteStaged(
        folder, path,
        [&](int fd, std::string& why) { return message.SaveAttachment(index, fd, why); }, error);
}

}  // namespace

std::string MailFileStamp(RunContext& run) {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    char tick[9];
    std::snprintf(tick, sizeof tick, "%08X", static_cast<uint32_t>(ticks.count()));
    return FormatDateTime("yyyymmdd", run.clock().Now()) + "-" + tick;
}

bool StoreMailFiles(RunContext& run, const TransferJob& job, const MimeMessage& message,
                    std::string& error) {
    const std::string& folder = job.EmpfangsVerzeichnis;
    if (job.EMailSaveHeader &&
        !WriteLines(platform::JoinPath(folder, MailFileStamp(run) + " Head.txt"),
                    {message.Subject()}, error))
        return false;
    if (job.EMailSaveBody &&
        !WriteStaged(
            folder, platform::JoinPath(folder, "Body.txt"),
            [&](int fd, std::string& why) { return message.WriteBody(fd, why); }, error))
        return false;
    if (job.EmailEraseFirst) {
        // Hidden names (the message being received) are not listed, so they stay.
        for (const std::string& path : ListFolderFiles(folder, "*.*", true))
            platform::DeleteFile(path);
    }
    const std::vector<MimePart>& parts = message.Parts();
    for (size_t index = 0; index < parts.size(); ++index) {
        if (parts[index].kind == MimePartKind::Attachment) {
            if (!StoreAttachment(run, folder, message, index, error)) return false;
        } else if (job.EMailSaveBody &&
                   !WriteLines(platform::JoinPath(folder, MailFileStamp(run) + " Body.txt"),
                               parts[index].lines, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace ferrolin
