#pragma once
// What one job of a run did, counted where it happens: files put in place, files found
// already the same, files the mirror step or delayed deletion removed, the bytes moved,
// whether a logon or the job's own settings refused it, and the first problem in the
// words it was logged with. Files that failed and jobs cut short are counted in the run's
// FailedFiles and JobsCutShort; the run driver reads their growth over the job.
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolin {

// How a run came to start.
enum class RunTrigger : uint8_t { Manual, ManualQuiet, Auto, Scan, Cli };

// How a run ended: every job ok, some job not ok, or stopped by Cancel.
enum class RunOutcome : uint8_t { Ok, Failed, Cancelled };

// How one job ended. CutShort: a source that could not be listed (completely), a
// connection that did not come up, a stopped file loop; Refused: a logon refused or the
// job's stored settings refused before anything was transferred.
enum class JobOutcome : uint8_t { Ok, Failed, CutShort, Cancelled, Refused };

struct JobTally {
    uint32_t copied = 0;
    uint32_t same = 0;
    uint32_t deleted = 0;
    int64_t bytes = 0;
    bool refused = false;
    std::string firstError;

    void Copied(int64_t size) {
        ++copied;
        if (size > 0) bytes += size;
    }
    void Same() { ++same; }
    void Deleted() { ++deleted; }
    // Keeps the first problem of the job; later ones are in the log.
    void NoteError(std::string_view text) {
        if (firstError.empty()) firstError = std::string(text);
    }
};

}  // namespace ferrolin
