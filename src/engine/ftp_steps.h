#pragma once
// Steps the FTP kinds share: connecting one side of a job, closing the session at the
// end of a job, reporting refused remote names, and the two mirror steps.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/transfer_job.h"
#include "engine/source_entry.h"
#include "engine/transfer_kinds.h"
#include "engine/transfer_plan.h"

namespace ferrolin {

struct RunContext;

// Connects with one side's user, password and address (a ":port" after the host is
// honoured). A failure is logged with the session's reason and counts the job as cut
// short.
bool ConnectFtpSide(const RunContext& run, const TransferJob& job, const std::string& address,
                    const std::string& user, const std::string& password);

// Closes the session at the end of a job's FTP work, unless the option NoFTPDisconnect
// keeps it open for the next job.
void EndFtpWork(const RunContext& run);

// After a failed file: the loop goes on as long as the server can still be reached. True
// (logged with the host of address, the job counted as cut short) when it cannot: the
// session is lost.
bool FtpSessionLost(const RunContext& run, const std::string& address);

// Logs "Remote file name refused: <name>" for each name of the session's current listing
// that no path may be built from.
void LogRefusedRemoteNames(const RunContext& run);

// "Source is master", FTP destination: lists the remote folder afresh and deletes the
// remote files (not subfolders) that neither a source file (by its path below the
// source folder) nor an upload of this run (protectedNames, the paths sent below the
// destination folder) accounts for, when the deletion guard allows it. Refused names are
// never deleted; a failed or incomplete listing of either side deletes nothing.
void MirrorFtpDestination(const RunContext& run, const TransferJob& job,
                          const SourceListing& source, const std::set<std::string>& protectedNames);

// "Source is master", FTP source (remoteFolder, as logged): deletes the files of the
// destination folder (no subfolders) that match neither a listed remote name nor a file
// this run downloaded, when the deletion guard allows it.
void MirrorFtpSource(const RunContext& run, const TransferJob& job, const SourceListing& source,
                     const std::string& remoteFolder, const std::set<std::string>& downloadedNames);

// The two mirror steps decided and not taken (plannedNames: what the planned transfer
// would put in place); the server and the local folder are only listed.
TransferPlan PlanFtpDestinationMirror(const RunContext& run, const TransferJob& job,
                                      const SourceListing& source,
                                      const std::set<std::string>& plannedNames);
TransferPlan PlanFtpSourceMirror(const RunContext& run, const TransferJob& job,
                                 const SourceListing& source, const std::string& remoteFolder,
                                 const std::set<std::string>& plannedNames);

}  // namespace ferrolin
