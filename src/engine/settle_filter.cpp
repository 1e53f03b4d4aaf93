#include "engine/settle_filter.h"

#include <utility>

#include "common/datetime.h"
#include "engine/run_context.h"
#include "engine/transfer_kinds.h"

namespace ferrolin {

namespace {

constexpr int64_t kFileTimeUnitsPerSecond = 10'000'000;

}  // namespace

bool StillBeingWritten(const SourceEntry& entry, int64_t nowFileTime, uint32_t settleSeconds) {
    if (entry.modified == 0 || settleSeconds == 0) return false;
    const int64_t window = static_cast<int64_t>(settleSeconds) * kFileTimeUnitsPerSecond;
    const int64_t age = nowFileTime - entry.modified;
    return age < window && age > -window;
}

std::set<std::string> SettlingNotes::NewlyHeld(const std::string& source,
                                               std::set<std::string> held) {
    std::set<std::string> fresh;
    const auto before = held_.find(source);
    for (const std::string& name : held)
        if (before == held_.end() || before->second.count(name) == 0) fresh.insert(name);
    if (held.empty()) {
        if (before != held_.end()) held_.erase(before);
    } else {
        held_[source] = std::move(held);
    }
    return fresh;
}

void HoldUnsettled(const RunContext& run, const TransferJob& job, SourceListing& listing) {
    if (job.settleSeconds == 0) return;
    const int64_t now = LocalDateTimeToFileTime(run.clock.Now());
    SourceList ready;
    ready.reserve(listing.entries.size());
    std::set<std::string> held;
    for (SourceEntry& entry : listing.entries) {
        if (StillBeingWritten(entry, now, job.settleSeconds)) {
            held.insert(entry.name);
            listing.settling.push_back(std::move(entry));
        } else {
            ready.push_back(std::move(entry));
        }
    }
    listing.entries = std::move(ready);
    for (const std::string& name : run.log.Settling.NewlyHeld(job.source, std::move(held)))
        run.log.Write("File " + name + " is still being written; left for a later run");
}

}  // namespace ferrolin
