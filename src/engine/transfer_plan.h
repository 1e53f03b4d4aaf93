#pragma once
// What a job's transfer would do, decided without doing it: one action per file, in the
// order the transfer would take them, and the reasons the job would fail. A dry run of
// the job list builds one plan per job through the kinds' planners, which take the same
// decisions their transfers take; the text is made only where a plan is shown.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/datetime.h"

namespace ferrolin {

enum class PlanVerb : uint8_t {
    Copy,          // a file the destination lacks
    Update,        // a file the destination holds in another state
    Same,          // a file the destination already holds as it is
    Delete,        // a local file deleted (a mirror's orphan, a due deletion, a copied source)
    DelayDelete,   // an orphan noted for deletion at a later moment (due)
    Download,      // a file fetched from a server
    Upload,        // a file sent to a server
    RemoteDelete,  // a file deleted on a server (a mirror's orphan, a fetched mail)
    Skip,          // a file or step left alone (reason)
};

// Why a file or a step is left alone.
enum class SkipReason : uint8_t {
    None,
    LeavesDestination,  // the path climbs out of the destination with ".."
    ProgramFile,        // the destination is one of the program's own files
    NoDestination,      // a read-only pass: the job has no destination
    DialUp,             // the job needs its dial-up line, which a dry run never dials
    JobRefused,         // the job's stored settings are out of range
    UploadInProgress,   // the source holds the upload marker
    SourceIncomplete,   // the source was not listed to its end: no mirror deletions
    SourceEmpty,        // an empty source would empty the destination
    TooManyDeletions,   // more mirror deletions than MaxDelete allows
    LimitUnreadable,    // MaxDelete holds no count or percentage
    DelayUnreadable,    // the delete delay is not a number
    SourceGone,         // the source folder is gone: no mirror deletions
    NoPlanner,          // the job's kind cannot say in advance what it would do
    Corrupt,            // the MPEG check finds the file corrupt
    NameRefused,        // a remote name no path may be built from
};

struct PlanAction {
    PlanVerb verb = PlanVerb::Skip;
    std::string path;    // the file acted on (the source for a copy, the file for a delete)
    std::string target;  // where a copy, download or upload goes; empty otherwise
    TDateTime due = 0;   // DelayDelete: when the deletion falls due
    SkipReason reason = SkipReason::None;
};

struct TransferPlan {
    std::vector<PlanAction> actions;
    // Why the job would fail (a source not listed, a logon refused, a guard refusing).
    std::vector<std::string> failures;

    void Add(PlanVerb verb, std::string path, std::string target = {}) {
        actions.push_back(
            PlanAction{verb, std::move(path), std::move(target), 0, SkipReason::None});
    }
    void AddSkip(SkipReason reason, std::string path) {
        actions.push_back(PlanAction{PlanVerb::Skip, std::move(path), {}, 0, reason});
    }
    void AddDelayed(std::string path, TDateTime due) {
        actions.push_back(
            PlanAction{PlanVerb::DelayDelete, std::move(path), {}, due, SkipReason::None});
    }
    // Appends other's actions and failures.
    void Append(TransferPlan other);
    // How many actions carry verb.
    size_t Count(PlanVerb verb) const;
};

}  // namespace ferrolin
