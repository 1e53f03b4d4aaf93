#pragma once
// The FTP kinds: an FTP server as the source (download into a local folder) and an FTP
// location as the destination (upload of a local source), both through the station's
// one FTP session, each followed by its mirror step for "Source is master".
#include <optional>
#include <string>

#include "engine/transfer_kinds.h"

namespace ferrolin {

// Connects to the source server, changes to its folder and lists its files with their
// sizes and times. Names no local path may be built from are logged and left out.
// A failed connection or listing lists nothing and counts the job as cut short.
SourceListing ListFtpSource(const RunContext& run, const TransferJob& job, Surfaces* panel);
// The download loop into the destination folder, then the mirror step.
void TransferFromFtp(const RunContext& run, const TransferJob& job, const SourceListing& listing);
// What that download would do: each file downloaded or found the same, the server's copy
// deleted after it with SourceDelete, and the mirror step's deletions.
TransferPlan PlanFromFtp(const RunContext& run, const TransferJob& job,
                         const SourceListing& listing);
// The upload loop to the destination address, then the mirror step.
void TransferToFtp(const RunContext& run, const TransferJob& job, const SourceListing& listing);
// What that upload would do: each file uploaded (a file of zero bytes: its remote file
// deleted), the source deleted after it with SourceDelete, and the mirror step's remote
// deletions. The server is logged on to and listed, nothing more.
TransferPlan PlanToFtp(const RunContext& run, const TransferJob& job, const SourceListing& listing);

// An FTP address without a host, or whose host is not "host" or "host:port".
std::optional<std::string> FtpAddressProblem(const std::string& address);
// Logs on and changes to the address's folder (passive as the job says, the server of an
// FTPS or SFTP address verified against trust first), then quits.
std::optional<std::string> FtpLogonProblem(const HostTrust& trust, const std::string& address,
                                           const std::string& user, const std::string& password,
                                           const TransferJob& job);

}  // namespace ferrolin
