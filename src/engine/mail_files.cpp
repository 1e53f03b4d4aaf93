#include "engine/mail_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/datetime_format.h"
#include "common/log.h"
#include "engine/folder_listing.h"
#include "engine/program_files.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/text_lines.h"
#include "protocols/attachment_name.h"
#include "protocols/staged_file.h"

namespace ferrolin {
namespace {

// Where one file of the message goes: a free name when this job stored that name before
// (logged), nothing when it is one of the program's own files (logged as skipped).
std::optional<std::string> TargetFor(RunContext& run, ReceivedFiles& received,
                                     const std::string& wanted, std::string& error) {
    if (ProgramFileRefused(run, wanted)) {
        error = wanted + " is one of the program's own files";
        return std::nullopt;
    }
    std::string path = received.FreePath(wanted);
    if (path != wanted)
        WriteLog(0, run.LogFile,
                 "File " + wanted + " was received before in this run; saved as " + path);
    return path;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines,
                std::string& error) {
    if (platform::WriteTextLinesAtomically(path, lines)) return true;
    error = path + ": " + platform::ErrorMessage(platform::LastError());
    return false;
}

// A stamped file (header, text part) under a free name.
bool WriteStampedLines(RunContext& run, ReceivedFiles& received, const std::string& folder,
                       const std::string& suffix, const std::vector<std::string>& lines,
                       std::string& error) {
    const std::optional<std::string> path =
        TargetFor(run, received, platform::JoinPath(folder, MailFileStamp(run) + suffix), error);
    if (!path || !WriteLines(*path, lines, error)) return false;
    received.Remember(*path);
    return true;
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

bool StoreAttachment(RunContext& run, ReceivedFiles& received, const std::string& folder,
                     const MimeMessage& message, size_t index, std::string& error) {
    const std::string& given = message.Parts()[index].fileName;
    // A made-up name carries the part's number, so two nameless parts never share one.
    const AttachmentName safe = SafeAttachmentName(
        given, MailFileStamp(run) + " Attachment " + std::to_string(index + 1) + ".bin");
    if (safe.changed)
        WriteLog(0, run.LogFile,
                 "Attachment name \"" + Printable(given) + "\" changed to \"" + safe.name + "\"");
    const std::optional<std::string> path =
        TargetFor(run, received, platform::JoinPath(folder, safe.name), error);
    if (!path) return false;
    platform::DeleteFile(*path);  // the old file goes first, as a failed save leaves none
    if (!WriteStaged(
            folder, *path,
            [&](int fd, std::string& why) { return message.SaveAttachment(index, fd, why); },
            error))
        return false;
    received.Remember(*path);
    return true;
}

// "Erase first": every file of the folder, except the program's own.
void EraseFolder(RunContext& run, const std::string& folder) {
    // Hidden names (the message being received) are not listed, so they stay.
    for (const std::string& path : ListFolderFiles(folder, "*.*", true))
        if (!ProgramFileRefused(run, path)) platform::DeleteFile(path);
}

}  // namespace

std::string MailFileStamp(RunContext& run) {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    char tick[9];
    std::snprintf(tick, sizeof tick, "%08X", static_cast<uint32_t>(ticks.count()));
    return FormatDateTime("yyyymmdd", run.clock().Now()) + "-" + tick;
}

std::string NumberedName(const std::string& name, int number) {
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    const std::string tag = " (" + std::to_string(number) + ")";
    if (stem.size() + tag.size() + extension.size() > kMaxFileNameBytes) {
        size_t keep = kMaxFileNameBytes > tag.size() + extension.size()
                          ? kMaxFileNameBytes - tag.size() - extension.size()
                          : 0;
        keep = std::min(keep, stem.size());
        while (keep > 0 && keep < stem.size() &&
               (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80)
            --keep;
        stem.resize(keep);
    }
    return stem + tag + extension;
}

std::string ReceivedFiles::FreePath(const std::string& path) const {
    // A file stored before and erased since ("Erase first") is no longer in the way.
    if (stored_.count(path) == 0 || !platform::FileExists(path)) return path;
    const std::string folder = platform::FolderOf(path);
    const std::string name(LastPathComponent(path));
    for (int number = 2;; ++number) {
        const std::string candidate = platform::JoinPath(folder, NumberedName(name, number));
        if (stored_.count(candidate) == 0 && !platform::FileExists(candidate) &&
            !platform::DirectoryExists(candidate))
            return candidate;
    }
}

bool StoreMailFiles(RunContext& run, const TransferJob& job, const MimeMessage& message,
                    ReceivedFiles& received, std::string& error) {
    const std::string& folder = job.destination;
    if (job.saveMailHeader &&
        !WriteStampedLines(run, received, folder, " Head.txt", {message.Subject()}, error))
        return false;
    if (job.saveMailBody) {
        const std::optional<std::string> body =
            TargetFor(run, received, platform::JoinPath(folder, "Body.txt"), error);
        if (!body ||
            !WriteStaged(
                folder, *body, [&](int fd, std::string& why) { return message.WriteBody(fd, why); },
                error))
            return false;
    }
    if (job.eraseFolderFirst) EraseFolder(run, folder);
    const std::vector<MimePart>& parts = message.Parts();
    for (size_t index = 0; index < parts.size(); ++index) {
        if (parts[index].kind == MimePartKind::Attachment) {
            if (!StoreAttachment(run, received, folder, message, index, error)) return false;
        } else if (job.saveMailBody && !WriteStampedLines(run, received, folder, " Body.txt",
                                                          parts[index].lines, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace ferrolin
