#include "engine/unavailable_kind.h"

#include <string>

#include "common/log.h"

namespace ferrolin {
namespace {

void ReportUnavailable(RunContext& run) {
    const std::string text =
        std::string(TransferKindName(static_cast<TTransfer>(run.Transfer))) +
        " transfers are not available in this build";
    WriteLog(0, run.LogFile, text);
    run.surfaces().AppendError(text);
    ++run.JobsCutShort;
}

}  // namespace

SourceListing ListUnavailableSource(RunContext& run, const TransferJob&, Surfaces*) {
    ReportUnavailable(run);
    return {};
}

void TransferUnavailable(RunContext& run, const TransferJob&, const SourceListing&) {
    ReportUnavailable(run);
}

}  // namespace ferrolin
