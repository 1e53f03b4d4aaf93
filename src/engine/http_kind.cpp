#include "engine/http_kind.h"

#include <vector>

#include "common/log.h"
#include "engine/program_files.h"
#include "engine/run_context.h"
#include "engine/run_texts.h"
#include "engine/share_logon.h"
#include "engine/source_entry.h"
#include "platform/file_systems.h"
#include "platform/path.h"
#include "platform/staged_target.h"
#include "protocols/host_port.h"
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
void ReportFailure(const RunContext& run, const TransferJob& job, const std::string& error) {
    const std::string reason = error.empty() ? kUnknownError : error;
    run.face.AppendError(reason);
    run.log.Failure("Download of " + job.source + " failed: " + reason);
}

// The second way: the answer as text, saved under the destination text as it stands.
bool SaveAsText(const RunContext& run, HttpClient& client, const TransferJob& job) {
    if (ProgramFileRefused(run.log, job.destination)) return false;
    std::string text;
    const HttpResult result = client.GetText(job.source, text);
    if (!result.ok) {
        ReportFailure(run, job, result.error);
        return false;
    }
    std::string lines;
    for (const std::string& line : SplitLines(text)) lines += line + "\r\n";
    std::string error;
    if (!platform::StagedTarget::ReplaceWhole(run.copy.Files.For(job.destination), job.destination,
                                              lines, error)) {
        ReportFailure(run, job, job.destination + " could not be written");
        return false;
    }
    return true;
}

// A folder part that names nothing at all: the text fallback would otherwise store the
// answer as a file under the folder's name.
bool TargetFolderMissing(const RunContext& run, const TransferJob& job, const std::string& target) {
    const std::string folder = platform::FolderOf(target);
    platform::FileSystem& fs = run.copy.Files.For(folder);
    if (fs.FolderExists(folder) || fs.Stat(folder)) return false;
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

std::optional<std::string> HttpAddressProblem(const std::string& address) {
    const size_t scheme = address.find("://");
    if (scheme == std::string::npos) return "not an address http://host/path";
    std::string host = address.substr(scheme + 3);
    host = host.substr(0, host.find('/'));
    if (const size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
    if (host.empty()) return "no host name";
    if (!SplitHostPort(host, 80)) return "\"" + host + "\" is not host or host:port";
    return std::nullopt;
}

SourceListing ListHttpSource(const RunContext&, const TransferJob& job, Surfaces*) {
    SourceListing listing;
    listing.entries.push_back(AddressEntry(job.source));
    return listing;
}

namespace {

// Where the download goes, or nothing (logged, a refusal counted as a failed file) when
// it may not or cannot go there.
std::optional<std::string> UsableTarget(const RunContext& run, const TransferJob& job) {
    std::string target =
        HttpTargetPath(job.destination, job.addTimeStamp, job.timeStampFormat, run.clock.Now());
    if (ProgramFileRefused(run.log, target)) return std::nullopt;
    // A destination on a share is logged on to before its folder is looked at.
    if (ShareLogonRefused(run.log, run.copy, target, job.destinationUser,
                          job.destinationPassword) ||
        TargetFolderMissing(run, job, target)) {
        ++run.log.FailedFiles;
        return std::nullopt;
    }
    return target;
}

}  // namespace

TransferPlan PlanHttpDownload(const RunContext& run, const TransferJob& job, const SourceListing&) {
    // The download always replaces the stored copy: there is nothing to compare first.
    TransferPlan plan;
    const std::optional<std::string> target = UsableTarget(run, job);
    if (target) plan.Add(PlanVerb::Download, job.source, *target);
    return plan;
}

void DownloadHttp(const RunContext& run, const TransferJob& job, const SourceListing&) {
    const std::optional<std::string> usable = UsableTarget(run, job);
    if (!usable) return;
    const std::string& target = *usable;
    HttpClient client;
    // The download replaces the old copy only once it arrived whole.
    platform::FileSystem& fs = run.copy.Files.For(target);
    const HttpResult result = client.Download(fs, job.source, target, [&run](uint64_t, uint64_t) {
        run.face.ProcessMessages();
        return !run.cancel.StopRequested();
    });
    bool stored = result.ok;
    if (!result.ok) ReportFailure(run, job, result.error);
    // A server that refuses the address says the file is gone: yesterday's copy must not
    // look like today's. A transfer that broke keeps the copy the last run stored.
    if (result.status >= 400) fs.Delete(target);
    if (!result.fileCreated && !run.cancel.StopRequested()) stored = SaveAsText(run, client, job);
    client.Disconnect();
    if (stored) {
        run.log.Tally.Copied(static_cast<int64_t>(result.bytes));
    } else {
        ++run.log.FailedFiles;
    }
}

}  // namespace ferrolin
