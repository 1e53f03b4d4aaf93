#include "engine/mail_kind.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "common/log.h"
#include "engine/mail_files.h"
#include "engine/run_context.h"
#include "engine/share_logon.h"
#include "platform/errors.h"
#include "platform/scratch_file.h"
#include "protocols/mime_message.h"

namespace ferrolin {
namespace {

// Retrieves message number into a scratch file on this computer (the message never sits
// in memory whole, and the decoder reads it by path wherever the destination lies), reads
// it and stores its files.
bool ReceiveMessage(const RunContext& run, const TransferJob& job, int number,
                    ReceivedFiles& received, std::string& error) {
    const std::optional<platform::ScratchFile> raw = platform::ScratchFile::Create(error);
    if (!raw || !run.sessions.Pop3.RetrieveToFd(number, raw->fd(), error)) return false;
    const std::unique_ptr<MimeMessage> message =
        MimeMessage::ReadFile(raw->Path(), job.decodeMail, error);
    return message && StoreMailFiles(run, job, *message, received, error);
}  // the scratch file goes with raw

bool FolderFlushed(const RunContext& run, const std::string& folder, int number) {
    const int32_t error = run.copy.Files.For(folder).Flush(folder);
    if (error == 0) return true;
    run.log.Failure("Mail " + std::to_string(number) + " not deleted on the server: " + folder +
                    " could not be flushed to disk (" + platform::ErrorMessage(error) + ")");
    ++run.log.FailedFiles;
    return false;
}

}  // namespace

bool ConnectPop3(const RunContext& run, const std::string& user, const std::string& password,
                 const std::string& host, std::string& error) {
    if (run.sessions.Pop3.Connected()) {
        run.log.Write("Close Pop 3 becouse it was still open");
        run.sessions.Pop3.Disconnect();
        run.face.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    run.sessions.Pop3.Connect(host, user, password, error);
    return run.sessions.Pop3.Connected();
}

std::optional<std::string> MailAddressProblem(const std::string& address) {
    if (!ParsePop3Address(address)) return "not host, host:port or pop3://host[:port]";
    return std::nullopt;
}

std::optional<std::string> MailLogonProblem(const HostTrust&, const std::string& address,
                                            const std::string& user, const std::string& password,
                                            const TransferJob&) {
    if (!ParsePop3Address(address)) return std::nullopt;
    Pop3Options options;
    options.connectTimeout = std::chrono::seconds(10);
    options.stallTimeout = std::chrono::seconds(10);
    Pop3Client client(options);
    std::string error;
    if (!client.Connect(address, user, password, error)) return error;
    // Nothing was marked for deletion, so the quit deletes nothing.
    client.Disconnect();
    return std::nullopt;
}

SourceListing ListMailSource(const RunContext& run, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    const std::string& host = job.source;
    std::string error;
    if (!ConnectPop3(run, job.sourceUser, job.sourcePassword, host, error)) {
        run.face.AppendError("Connection to " + host + " failed");
        run.log.Tally.NoteError("Connection to " + host + " failed" +
                                (error.empty() ? "" : ": " + error));
        if (!error.empty()) run.log.Write("Connection to " + host + " failed: " + error);
        ++run.log.JobsCutShort;
        return listing;
    }
    const std::optional<int> count = run.sessions.Pop3.MessageCount(error);
    if (!count) {
        const std::string text =
            error.empty() ? std::string("Get of Messages failed") : "Get Messages failed:" + error;
        run.face.AppendError(text);
        run.log.Tally.NoteError(text);
        ++run.log.JobsCutShort;
        return listing;
    }
    for (int number = 1; number <= *count; ++number) listing.entries.push_back(MailEntry(number));
    if (*count == 0) run.sessions.Pop3.Disconnect();
    return listing;
}

void ReceiveMail(const RunContext& run, const TransferJob& job, const SourceListing& listing) {
    Surfaces& surfaces = run.face;
    // A destination on a share is logged on to before anything is written there; refused,
    // every message stays on the server.
    if (ShareLogonRefused(run.log, run.copy, job.destination, job.destinationUser,
                          job.destinationPassword)) {
        ++run.log.JobsCutShort;
        run.sessions.Pop3.Disconnect();
        return;
    }
    ReceivedFiles received;
    // Each entry carries its message number, so a list the job's filters thinned out
    // still names the right messages.
    for (const SourceEntry& entry : listing.entries) {
        if (run.cancel.StopRequested()) break;
        const int number = entry.number;
        std::string error;
        if (!ReceiveMessage(run, job, number, received, error)) {
            // Its remaining steps, the deletion on the server included, do not happen.
            run.log.Failure("Mail " + std::to_string(number) + " not received: " + error);
            if (run.cancel.StopRequested()) break;
            ++run.log.FailedFiles;
            surfaces.ProcessMessages();
            if (!run.sessions.Pop3.Connected()) {
                // Message numbers and marked deletions belong to the lost session: nothing
                // more can be asked of the server in this run.
                run.log.Write(
                    "POP3 session lost; no further mail received, none deleted on the server");
                ++run.log.JobsCutShort;
                break;
            }
            continue;
        }
        run.log.Write("receive of mail successful");
        run.log.Tally.Copied(0);
        surfaces.ProcessMessages();
        // Each file was flushed as it was written; their names are on the disk once the
        // folder is. Before that, the server's copy is the only one for certain.
        const bool durable = job.deleteSource || run.options.durableCopies;
        if (durable && !FolderFlushed(run, job.destination, number)) continue;
        if (job.deleteSource) {
            if (!run.sessions.Pop3.Delete(number, error)) {
                run.log.Failure("Mail " + std::to_string(number) +
                                " not deleted on the server: " + error);
                ++run.log.FailedFiles;
                if (!run.sessions.Pop3.Connected()) break;
            }
            surfaces.ProcessMessages();
        }
    }
    // QUIT: the server carries out the deletions now.
    run.sessions.Pop3.Disconnect();
}

TransferPlan PlanMailReceipt(const RunContext& run, const TransferJob& job,
                             const SourceListing& listing) {
    TransferPlan plan;
    if (ShareLogonRefused(run.log, run.copy, job.destination, job.destinationUser,
                          job.destinationPassword)) {
        ++run.log.JobsCutShort;
    } else {
        for (const SourceEntry& entry : listing.entries) {
            const std::string message = job.source + " " + entry.name;
            plan.Add(PlanVerb::Download, message, job.destination);
            if (job.deleteSource) plan.Add(PlanVerb::RemoteDelete, message);
        }
    }
    // QUIT with nothing marked for deletion: every message stays on the server.
    run.sessions.Pop3.Disconnect();
    return plan;
}

}  // namespace ferrolin
