#pragma once
// The mail kind: a POP3 mailbox whose messages become files in the destination folder
// (subject, body, text parts, attachments) and may then be deleted on the server.
#include <optional>
#include <string>

#include "engine/transfer_kinds.h"

namespace ferrolin {

// Opens the station's POP3 session (host: "host", "host:port", "pop3://..." or
// "pop3s://..."), closing first one that an earlier job left open. True when it is open.
bool ConnectPop3(const RunContext& run, const std::string& user, const std::string& password,
                 const std::string& host, std::string& error);

// Not "host", "host:port" or "pop3://host[:port]".
std::optional<std::string> MailAddressProblem(const std::string& address);
// Logs on to the mailbox and quits (nothing is marked for deletion, so nothing goes).
std::optional<std::string> MailLogonProblem(const HostTrust& trust, const std::string& address,
                                            const std::string& user, const std::string& password,
                                            const TransferJob& job);

// "Mail 1" ... "Mail n" for the messages on the server; an empty mailbox closes the
// session at once. A session that does not open or a mailbox that cannot be counted puts
// its line in the Errors list and counts the job as cut short.
SourceListing ListMailSource(const RunContext& run, const TransferJob& job, Surfaces* panel);

// Receives the listed messages one by one, stores their files, deletes them on the server
// when the job deletes its sources, and closes the session (which carries out the
// deletions). A message that fails is logged, counted and left on the server.
void ReceiveMail(const RunContext& run, const TransferJob& job, const SourceListing& listing);
// What that receipt would do: each message downloaded and, when the job deletes its
// sources, deleted on the server. Nothing is retrieved or marked; the session is closed.
TransferPlan PlanMailReceipt(const RunContext& run, const TransferJob& job,
                             const SourceListing& listing);

}  // namespace ferrolin
