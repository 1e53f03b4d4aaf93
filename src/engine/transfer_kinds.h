#pragma once
// The kind registry: the one place where the kinds of transfer are named. A job's source
// text and source type choose its source kind: the first row of the source table that
// takes them. A source of local entries (files here or on a share) hands them to the
// destination kind its destination text chooses, the first row of the destination table
// that takes it; a source on a server delivers its entries itself. Each row says how the
// side is listed or delivered, what closes a listing that found nothing, how a running
// transfer is stopped from another thread, how its address is checked, and what the run
// record calls it. A new kind adds its own files and a row (before the rows whose texts
// it would also match: "sftp:" holds "ftp:").
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/surfaces.h"
#include "config/transfer_job.h"
#include "engine/source_entry.h"
#include "engine/transfer_plan.h"

namespace ferrolin {

struct RunContext;
class RemoteSessions;
class HostTrust;

struct SourceListing {
    SourceList entries;
    // False when a folder of the source could not be read to its end or the listing
    // was cancelled: the list may lack files that exist.
    bool complete = true;
    // Files left for a later run because they are still being written: not transferred,
    // but their copies at the destination are no orphans.
    SourceList settling;

    // Every file the source listing holds, those left to settle included.
    size_t SourceFiles() const { return entries.size() + settling.size(); }
};

// Lists the job's source (panel: where the listing's progress shows; may be null).
using SourceLister = SourceListing (*)(const RunContext& run, const TransferJob& job,
                                       Surfaces* panel);
// Transfers the listed entries of the job.
using EntryTransfer = void (*)(const RunContext& run, const TransferJob& job,
                               const SourceListing& listing);
// What the transfer of the listed entries would do, decided as the transfer decides and
// done nowhere: nothing written, renamed or deleted, here or on a server.
using TransferPlanner = TransferPlan (*)(const RunContext& run, const TransferJob& job,
                                         const SourceListing& listing);
// Ends the work of a job whose transfer step did not run (its listing was empty after the
// filters): what the lister opened is closed.
using ListingClose = void (*)(const RunContext& run);
// Stops the side's running transfer within a second; called from any thread (Cancel).
using TransferAbort = void (*)(RemoteSessions& sessions);
// Why an address as written cannot be used (it does not parse as the run reads it);
// nothing when it can. No connection is made.
using AddressCheck = std::optional<std::string> (*)(const std::string& address);
// Logs on to the side an address names with the job's logon and looks at its folder,
// sending only commands that read; what failed, or nothing. A secure server is verified
// against trust as a run verifies it, before any password goes.
using LogonProbe = std::optional<std::string> (*)(const HostTrust& trust,
                                                  const std::string& address,
                                                  const std::string& user,
                                                  const std::string& password,
                                                  const TransferJob& job);

// A job's texts as the rows see them: lower-cased once, so no row folds letter case itself.
struct KindSelection {
    std::string source;
    uint8_t sourceType = ST_Auto;
    std::string destination;
};

// What a source text names.
enum class SourceForm : uint8_t {
    Folder,    // a folder (with a file mask) here or on a share
    ListFile,  // a file naming one file a line
    Address,   // a server, which the kind's own transfer reads from
};

struct SourceKind {
    // What the run record and the check call it ("folder", "ftp download", ...).
    std::string_view name;
    bool (*takes)(const KindSelection& job);
    SourceForm form;
    SourceLister list;
    // For a source on a server: its transfer into the destination (a folder here or on a
    // share, or a file). Null: the entries are files, and the destination kind delivers them.
    EntryTransfer transfer = nullptr;
    // The plan of that transfer (a dry run); null where the source has no transfer of its own.
    TransferPlanner plan = nullptr;
    ListingClose closeUnused = nullptr;
    TransferAbort abort = nullptr;
    AddressCheck checkAddress = nullptr;
    LogonProbe probeLogon = nullptr;
    // The destination text names the file to write, not a folder.
    bool destinationIsFile = false;
    // Without a destination there is nowhere to deliver to (a folder job without one is a
    // read-only pass over its source).
    bool needsDestination = false;
};

struct DestinationKind {
    // What the run record calls the job's kind; empty: the source's name stands.
    std::string_view name;
    bool (*takes)(const KindSelection& job);
    EntryTransfer transfer;
    TransferPlanner plan = nullptr;
    TransferAbort abort = nullptr;
    // Null for a folder here or on a share, which the check looks at itself.
    AddressCheck checkAddress = nullptr;
    LogonProbe probeLogon = nullptr;
};

// The kind of one job: its source row and, for a source of local entries, its
// destination row. Default-constructed: no job (nothing to stop, no name).
struct TransferKind {
    const SourceKind* source = nullptr;
    const DestinationKind* destination = nullptr;

    // "folder", "list file", "ftp upload", "ftp download", "http", "mail"; "" for none.
    std::string_view Name() const;
    // The transfer of the job's entries: the source's own, or the destination's.
    EntryTransfer Transfer() const;
    // The planner of that transfer; null when the kind cannot plan.
    TransferPlanner Planner() const;
    // Stops a running transfer of either side (callable from any thread).
    void Abort(RemoteSessions& sessions) const;
    // The destination is a server address rather than a folder or file.
    bool ToAddress() const { return destination != nullptr && destination->checkAddress; }
};

// The rows, in the order they are tried.
std::span<const SourceKind> SourceKinds();
std::span<const DestinationKind> DestinationKinds();

TransferKind ChooseTransferKind(std::string_view source, uint8_t sourceType,
                                std::string_view destination);
inline TransferKind ChooseTransferKind(const TransferJob& job) {
    return ChooseTransferKind(job.source, job.sourceType, job.destination);
}

}  // namespace ferrolin
