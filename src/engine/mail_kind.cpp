#include "engine/mail_kind.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "common/log.h"
#include "engine/mail_files.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "protocols/mime_message.h"
#include "protocols/staged_file.h"

namespace ferrolin {
namespace {

// Retrieves message number into a hidden file of the destination folder (the message
// never sits in memory whole), reads it and stores its files.
bool ReceiveMessage(RunContext& run, const TransferJob& job, int number, ReceivedFiles& received,
                    std::string& error) {
    std::optional<StagedFile> raw = StagedFile::Create(job.destination, error);
    if (!raw || !run.Pop3.RetrieveToFd(number, raw->fd(), error)) return false;
    const std::unique_ptr<MimeMessage> message =
        MimeMessage::ReadFile(raw->TempPath(), job.decodeMail, error);
    return message && StoreMailFiles(run, job, *message, received, error);
}  // the hidden file goes with raw

bool FolderFlushed(RunContext& run, const std::string& folder, int number) {
    const int32_t error = platform::FlushToDisk(folder);
    if (error == 0) return true;
    run.LogFailure("Mail " + std::to_string(number) + " not deleted on the server: " + folder +
                   " could not be flushed to disk (" + platform::ErrorMessage(error) + ")");
    ++run.FailedFiles;
    return false;
}

}  // namespace

bool ConnectPop3(RunContext& run, const std::string& user, const std::string& password,
                 const std::string& host, std::string& error) {
    if (run.Pop3.Connected()) {
        WriteLog(0, run.LogFile, "Close Pop 3 becouse it was still open");
        run.Pop3.Disconnect();
        run.surfaces().ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    run.Pop3.Connect(host, user, password, error);
    return run.Pop3.Connected();
}

SourceListing ListMailSource(RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    const std::string& host = job.source;
    std::string error;
    if (!ConnectPop3(run, job.sourceUser, job.sourcePassword, host, error)) {
        run.surfaces().AppendError("Connection to " + host + " failed");
        run.Tally.NoteError("Connection to " + host + " failed" +
                            (error.empty() ? "" : ": " + error));
        if (!error.empty()) WriteLog(0, run.LogFile, "Connection to " + host + " failed: " + error);
        ++run.JobsCutShort;
        return listing;
    }
    const std::optional<int> count = run.Pop3.MessageCount(error);
    if (!count) {
        const std::string text =
            error.empty() ? std::string("Get of Messages failed") : "Get Messages failed:" + error;
        run.surfaces().AppendError(text);
        run.Tally.NoteError(text);
        ++run.JobsCutShort;
        return listing;
    }
    for (int number = 1; number <= *count; ++number) listing.entries.push_back(MailEntry(number));
    if (*count == 0) run.Pop3.Disconnect();
    return listing;
}

void ReceiveMail(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    Surfaces& surfaces = run.surfaces();
    ReceivedFiles received;
    // Each entry carries its message number, so a list the job's filters thinned out
    // still names the right messages.
    for (const SourceEntry& entry : listing.entries) {
        if (run.Copy.Cancel.StopRequested()) break;
        const int number = entry.number;
        std::string error;
        if (!ReceiveMessage(run, job, number, received, error)) {
            // Its remaining steps, the deletion on the server included, do not happen.
            run.LogFailure("Mail " + std::to_string(number) + " not received: " + error);
            if (run.Copy.Cancel.StopRequested()) break;
            ++run.FailedFiles;
            surfaces.ProcessMessages();
            if (!run.Pop3.Connected()) {
                // Message numbers and marked deletions belong to the lost session: nothing
                // more can be asked of the server in this run.
                WriteLog(0, run.LogFile,
                         "POP3 session lost; no further mail received, none deleted on the server");
                ++run.JobsCutShort;
                break;
            }
            continue;
        }
        WriteLog(0, run.LogFile, "receive of mail successful");
        run.Tally.Copied(0);
        surfaces.ProcessMessages();
        // Each file was flushed as it was written; their names are on the disk once the
        // folder is. Before that, the server's copy is the only one for certain.
        const bool durable = job.deleteSource || run.Options.durableCopies;
        if (durable && !FolderFlushed(run, job.destination, number)) continue;
        if (job.deleteSource) {
            if (!run.Pop3.Delete(number, error)) {
                run.LogFailure("Mail " + std::to_string(number) +
                               " not deleted on the server: " + error);
                ++run.FailedFiles;
                if (!run.Pop3.Connected()) break;
            }
            surfaces.ProcessMessages();
        }
    }
    // QUIT: the server carries out the deletions now.
    run.Pop3.Disconnect();
}

}  // namespace ferrolin
