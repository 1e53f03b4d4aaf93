#include "engine/http_kind.h"

#include <vector>

#include "common/log.h"
#include "engine/program_files.h"
#include "engine/run_texts.h"
#include "engine/source_entry.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/text_lines.h"
#include "protocols/http_client.h"

namespace ferrolin {
namespace {

constexpr const char* kDefaultName = "DefaultName.xxx";
constexpr const char* kUnknownError = "Unknown Exception";

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

// Every failure shows in the Errors list and leaves a log line naming the address.
void ReportFailure(RunContext& run, const TransferJob& job, const std::string& error) {
    const std::string reason = error.empty() ? kUnknownError : error;
    run.surfaces().AppendError(reason);
    run.LogFailure("Download of " + job.source + " failed: " + reason);
}

// The second way: the answer as text, saved under the destination text as it stands.
bool SaveAsText(RunContext& run, HttpClient& client, const TransferJob& job) {
    if (ProgramFileRefused(run, job.destination)) return false;
    std::string text;
    const HttpResult result = client.GetText(job.source, text);
    if (!result.ok) {
        ReportFailure(run, job, result.error);
        return false;
    }
    if (!platform::WriteTextLinesAtomically(job.destination, SplitLines(text))) {
        ReportFailure(run, job, job.destination + " could not be written");
        return false;
    }
    // The file was flushed before its rename; a durable copy has its name flushed too.
    if (run.Options.durableCopies &&
        platform::FlushToDisk(platform::FolderOf(job.destination)) != 0) {
        ReportFailure(run, job, job.destination + " could not be flushed to disk");
        return false;
    }
    return true;
}

// A folder part that names nothing at all: the text fallback would otherwise store the
// answer as a file under the folder's name.
bool TargetFolderMissing(RunContext& run, const TransferJob& job, const std::string& target) {
    const std::string folder = platform::FolderOf(target);
    if (platform::DirectoryExists(folder) || platform::FileExists(folder)) return false;
    ReportFailure(run, job, "The destination folder " + folder + " does not exist");
    return true;
}

}  // namespace

std::string FileNamePart(std::string_view path, bool needDot) {
    const std::string_view name = LastPathComponent(path);
    if (needDot && name.find('.') == std::string_view::npos) return {};
    return std::string(name);
}

std::string HttpTargetPath(std::string_view target, bool addTimeStamp, std::string_view stampFormat,
                           TDateTime now) {
    std::string name = FileNamePart(target, true);
    if (name.empty()) name = kDefaultName;
    return DirectoryPart(target, false) + platform::kPathSeparator +
           StampFileName(name, addTimeStamp, stampFormat, now);
}

SourceListing ListHttpSource(RunContext&, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    listing.entries.push_back(AddressEntry(job.source));
    return listing;
}

void DownloadHttp(RunContext& run, const TransferJob& job, const SourceListing&) {
    const std::string target = HttpTargetPath(job.destination, job.addTimeStamp,
                                              job.timeStampFormat, run.clock().Now());
    if (ProgramFileRefused(run, target)) return;
    if (TargetFolderMissing(run, job, target)) {
        ++run.FailedFiles;
        return;
    }
    HttpClient client;
    // The download replaces the old copy only once it arrived whole.
    const HttpResult result =
        client.Download(job.source, target, [&run](uint64_t, uint64_t) {
            run.surfaces().ProcessMessages();
            return !run.Copy.Cancel.StopRequested();
        });
    bool stored = result.ok;
    if (!result.ok) ReportFailure(run, job, result.error);
    // A server that refuses the address says the file is gone: yesterday's copy must not
    // look like today's. A transfer that broke keeps the copy the last run stored.
    if (result.status >= 400) platform::DeleteFile(target);
    if (!result.fileCreated && !run.Copy.Cancel.StopRequested())
        stored = SaveAsText(run, client, job);
    client.Disconnect();
    if (stored) {
        run.Tally.Copied(static_cast<int64_t>(result.bytes));
    } else {
        ++run.FailedFiles;
    }
}

}  // namespace ferrolin
