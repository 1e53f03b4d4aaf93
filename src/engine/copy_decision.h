#pragma once
// What happens to one file of a job with a folder destination: the MPEG check, the
// copier's flags and write mode, the copy (or a shortcut), deleting the source, and the
// log line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/transfer_job.h"
#include "engine/source_entry.h"

namespace ferrolin {

struct RunContext;

// "Buffering": Disabled -> unbuffered writes, Enabled -> the copy worker, Automatic ->
// unbuffered for jobs that dial up, else the copy worker.
uint8_t ChooseWriteMode(uint8_t buffering, bool dialUpChosen);

// The copier's flags from the copy mode, the run mode (an interactive run asks before
// overwriting), the temp-file option, an empty destination (read-only pass), the "Copy
// Open Files" option and durability: a copy whose source is deleted afterwards, or every
// copy with durableCopies, is flushed to stable storage.
int32_t ChooseCopyFlags(const TransferJob& job, uint8_t runMode, bool destinationEmpty,
                        bool copyOpenFiles, bool durableCopies = false);

// "MaxByteRate" in MiB per second (fractions with "." or ",") as bytes per second,
// truncated; 0 means no limit. Nothing when the text is not a number; negative numbers
// read as 0, rates beyond the copier's range as its largest value.
std::optional<uint32_t> MaxBytesPerSecondFrom(std::string_view maxByteRate);

// True (logged, counted as a failed file) when the MPEG check finds the source corrupt
// and the run mode does not let it go anyway.
bool RefusedAsCorrupt(const RunContext& run, const std::string& source);

// Transfers one listed file (destination empty: read-only pass). True when the file is
// in place (copied, found the same, metadata updated, or shortcut made). Failures are
// logged with the copier's text and counted in run.log.FailedFiles. With SourceDelete the
// source goes afterwards, unless it changed since it was listed. The listed size and time
// also let an unchanged file be recognised without looking at the source again.
bool TransferOneFile(const RunContext& run, const TransferJob& job, const SourceEntry& listed,
                     const std::string& destination, uint32_t maxBytesPerSecond);

}  // namespace ferrolin
