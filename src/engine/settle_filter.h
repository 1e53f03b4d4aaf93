#pragma once
// Files still being written: a source file whose last write lies fewer than the job's
// SettleSeconds ago is left for a later run, rather than copied half-written (and perhaps
// deleted at its source afterwards). It stays known to the run, so the mirror step never
// takes its older copy at the destination for an orphan.
#include <map>
#include <set>
#include <string>

#include "config/transfer_job.h"
#include "engine/source_entry.h"

namespace ferrolin {

struct RunContext;
struct SourceListing;

// True when the entry's file time (100 ns units since 1601 UTC) lies fewer than
// settleSeconds before now. A file without a known time is never held; one dated further
// ahead than that is a clock's fault, not a write in progress.
bool StillBeingWritten(const SourceEntry& entry, int64_t nowFileTime, uint32_t settleSeconds);

// Which held files of each source have been named in the log, so a file written for an
// hour is named once rather than in every run of that hour. One per station.
class SettlingNotes {
  public:
    // The names of held that were not held for source in its previous run; held becomes
    // what is remembered for it.
    std::set<std::string> NewlyHeld(const std::string& source, std::set<std::string> held);

  private:
    std::map<std::string, std::set<std::string>> held_;
};

// Moves the job's entries that are still being written from listing.entries to
// listing.settling, each named in the log ("File <name> is still being written; left for
// a later run") in the first run that leaves it.
void HoldUnsettled(const RunContext& run, const TransferJob& job, SourceListing& listing);

}  // namespace ferrolin
