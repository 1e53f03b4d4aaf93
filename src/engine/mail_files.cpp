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
#include "engine/run_context.h"
#include "platform/errors.h"
#include "platform/file_systems.h"
#include "platform/path.h"
#include "platform/scratch_file.h"
#include "platform/staged_target.h"
#include "protocols/attachment_name.h"

namespace ferrolin {
namespace {

// The destination folder and the file system it lies on (this computer's disks or a share).
struct MailFolder {
    platform::FileSystem& fs;
    const std::string& path;
};

// Where one file of the message goes: a free name when this job stored that name before
// (logged), nothing when it is one of the program's own files (logged as skipped).
std::optional<std::string> TargetFor(const RunContext& run, platform::FileSystem& fs,
                                     ReceivedFiles& received, const std::string& wanted,
                                     std::string& error) {
    if (ProgramFileRefused(run.log, wanted)) {
        error = wanted + " is one of the program's own files";
        return std::nullopt;
    }
    std::string path = received.FreePath(fs, wanted);
    if (path != wanted)
        run.log.Write("File " + wanted + " was received before in this run; saved as " + path);
    return path;
}

// The lines, each ended by CR LF, replace path in one step.
bool WriteLines(platform::FileSystem& fs, const std::string& path,
                const std::vector<std::string>& lines, std::string& error) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return platform::StagedTarget::ReplaceWhole(fs, path, text, error);
}

// A stamped file (header, text part) under a free name.
bool WriteStampedLines(const RunContext& run, ReceivedFiles& received, const MailFolder& folder,
                       const std::string& suffix, const std::vector<std::string>& lines,
                       std::string& error) {
    const std::optional<std::string> path =
        TargetFor(run, folder.fs, received,
                  platform::JoinPath(folder.path, MailFileStamp(run.clock) + suffix), error);
    if (!path || !WriteLines(folder.fs, *path, lines, error)) return false;
    received.Remember(*path);
    return true;
}

// Streams the content write() produces into path; nothing appears under path unless
// all of it was written, and it is on the disk before it carries that name. The decoder
// writes to a descriptor: a file on this computer takes it straight, a file on a share
// gets the content by way of a local scratch file.
template <typename Writer>
bool WriteStaged(platform::FileSystem& fs, const std::string& path, Writer write,
                 std::string& error) {
    std::optional<platform::StagedTarget> file = platform::StagedTarget::CreateFor(fs, path, error);
    if (!file) return false;
    if (const int fd = file->File().LocalFd(); fd >= 0) {
        if (!write(fd, error)) return false;
    } else {
        const std::optional<platform::ScratchFile> scratch = platform::ScratchFile::Create(error);
        if (!scratch || !write(scratch->fd(), error)) return false;
        if (!scratch->CopyTo(file->File(), error)) {
            error = "Cannot write " + path + ": " + error;
            return false;
        }
    }
    return file->Commit(path, error, true, 0);
}

// A name from the message as it may appear in a log line: control characters shown as "?".
std::string Printable(std::string_view text) {
    std::string shown(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return shown;
}

bool StoreAttachment(const RunContext& run, ReceivedFiles& received, const MailFolder& folder,
                     const MimeMessage& message, size_t index, std::string& error) {
    const std::string& given = message.Parts()[index].fileName;
    // A made-up name carries the part's number, so two nameless parts never share one.
    const AttachmentName safe = SafeAttachmentName(
        given, MailFileStamp(run.clock) + " Attachment " + std::to_string(index + 1) + ".bin");
    if (safe.changed)
        run.log.Write("Attachment name \"" + Printable(given) + "\" changed to \"" + safe.name +
                      "\"");
    const std::optional<std::string> path =
        TargetFor(run, folder.fs, received, platform::JoinPath(folder.path, safe.name), error);
    if (!path) return false;
    folder.fs.Delete(*path);  // the old file goes first, as a failed save leaves none
    if (!WriteStaged(
            folder.fs, *path,
            [&](int fd, std::string& why) { return message.SaveAttachment(index, fd, why); },
            error))
        return false;
    received.Remember(*path);
    return true;
}

// "Erase first": every file of the folder, except the program's own.
void EraseFolder(const RunContext& run, const MailFolder& folder) {
    std::vector<std::string> files;
    folder.fs.ListFolder(
        folder.path, false,
        [&](const platform::DirEntryInfo& entry) {
            if (entry.isFile && IsListedName(entry.name))
                files.push_back(platform::JoinPath(folder.path, entry.name));
        },
        nullptr);
    for (const std::string& path : files)
        if (!ProgramFileRefused(run.log, path)) folder.fs.Delete(path);
}

}  // namespace

std::string MailFileStamp(const Clock& clock) {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    char tick[9];
    std::snprintf(tick, sizeof tick, "%08X", static_cast<uint32_t>(ticks.count()));
    return FormatDateTime("yyyymmdd", clock.Now()) + "-" + tick;
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

std::string ReceivedFiles::FreePath(platform::FileSystem& fs, const std::string& path) const {
    // A file stored before and erased since ("Erase first") is no longer in the way.
    if (stored_.count(path) == 0 || !fs.Stat(path)) return path;
    const std::string folder = platform::FolderOf(path);
    const std::string name(LastPathComponent(path));
    for (int number = 2;; ++number) {
        const std::string candidate = platform::JoinPath(folder, NumberedName(name, number));
        if (stored_.count(candidate) == 0 && !fs.Stat(candidate) && !fs.FolderExists(candidate))
            return candidate;
    }
}

bool StoreMailFiles(const RunContext& run, const TransferJob& job, const MimeMessage& message,
                    ReceivedFiles& received, std::string& error) {
    const MailFolder folder{run.copy.Files.For(job.destination), job.destination};
    if (job.saveMailHeader &&
        !WriteStampedLines(run, received, folder, " Head.txt", {message.Subject()}, error))
        return false;
    if (job.saveMailBody) {
        const std::optional<std::string> body =
            TargetFor(run, folder.fs, received, platform::JoinPath(folder.path, "Body.txt"), error);
        if (!body ||
            !WriteStaged(
                folder.fs, *body,
                [&](int fd, std::string& why) { return message.WriteBody(fd, why); }, error))
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
