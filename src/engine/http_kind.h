#pragma once
// The HTTP kind: one address downloaded into one local file per run.
#include <optional>
#include <string>
#include <string_view>

#include "common/datetime.h"
#include "engine/transfer_kinds.h"

namespace ferrolin {

// The part of path after its last separator (all of it when it has none); with needDot,
// empty unless that part holds a ".".
std::string FileNamePart(std::string_view path, bool needDot);

// Where the download of a job with destination text target goes: the folder part of the
// target, and its file name ("DefaultName.xxx" when it names none), time-stamped as the
// job asks.
std::string HttpTargetPath(std::string_view target, bool addTimeStamp, std::string_view stampFormat,
                           TDateTime now);

// An HTTP address without "://", without a host, or whose host is not "host" or
// "host:port".
std::optional<std::string> HttpAddressProblem(const std::string& address);

// The address itself is the only entry.
SourceListing ListHttpSource(const RunContext& run, const TransferJob& job, Surfaces* panel);

// Removes an old copy of the target and downloads the address into it; a refused or
// broken download leaves no file and puts its reason in the Errors list. When the
// target cannot even be created, the answer is fetched as text into the file the
// destination text names.
void DownloadHttp(const RunContext& run, const TransferJob& job, const SourceListing& listing);
// What that download would do: the address downloaded to its target, nothing asked of
// the server.
TransferPlan PlanHttpDownload(const RunContext& run, const TransferJob& job,
                              const SourceListing& listing);

}  // namespace ferrolin
