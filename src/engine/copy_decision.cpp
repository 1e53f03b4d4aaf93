#include "engine/copy_decision.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/log.h"
#include "engine/guarded_delete.h"
#include "engine/job_guards.h"
#include "engine/program_files.h"
#include "engine/run_context.h"
#include "engine/source_entry.h"
#include "files/copy_worker.h"
#include "files/file_copy.h"
#include "files/fs_helpers.h"
#include "files/mpeg_check.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace ferrolin {

namespace {

// The MPEG check and what the run mode makes of a failed one. True when the file may go.
bool PassesMpegCheck(const RunContext& run, const std::string& source) {
    if (MpegCheckApplies(run.mpeg, source, run.options.checkMpegFiles) &&
        !run.copy.Files.For(source).IsLocal()) {
        // The vendor's SDK reads local paths only: a file on a share cannot be checked,
        // which is no sign of a corrupt header. It goes unchecked, and the log says so.
        run.log.Write(source + " lies on a network share: MPEG check not possible");
        return true;
    }
    if (CheckMpegFile(run.mpeg, source, run.options.checkMpegFiles)) return true;
    run.face.AppendError("Corrupt header !! " + source);
    run.log.Write(source + " is corrupt");
    if (run.mode == RM_Unattended && run.options.copyCorruptFiles) return true;
    if (run.mode == RM_Interactive) {
        return run.face.Ask("Warning", source + " is corrupt\r\ncopy anyway ?", Buttons::YesNo) ==
               Answer::Yes;
    }
    return false;
}

bool MakeShortcut(CopyStatus& status, const std::string& source, const std::string& destination) {
    const std::string folder = DirectoryPart(source, true) + platform::kPathSeparator;
    const bool made = CreateShortcut(source, folder, destination);
    // The copier is not involved, so its status text would still describe the previous
    // file; say what happened to this one.
    status.SetStatus(std::string(LastPathComponent(source)) +
                     (made ? " shortcut created" : " shortcut failed"));
    return made;
}

}  // namespace

uint8_t ChooseWriteMode(uint8_t buffering, bool dialUpChosen) {
    switch (buffering) {
        case 1:
            return wmUnbuffered;
        case 2:
            return wmSystemCopy;
        default:
            return dialUpChosen ? wmUnbuffered : wmSystemCopy;
    }
}

int32_t ChooseCopyFlags(const TransferJob& job, uint8_t runMode, bool destinationEmpty,
                        bool copyOpenFiles, bool durableCopies) {
    int32_t flags = 0;
    if (job.copyMode == CM_OnlyNewer) flags |= cfOnlyNewer;
    if (job.copyMode == CM_CopyAnyWay) flags |= cfForce;
    if (runMode == RM_Interactive) flags |= cfAsk;
    if (!job.useTempFile) flags |= cfNoTempFile;
    if (destinationEmpty) flags |= cfReadOnly;
    if (copyOpenFiles) flags |= cfOpenFiles;
    if (!destinationEmpty && (job.deleteSource || durableCopies)) flags |= cfDurable;
    return flags;
}

std::optional<uint32_t> MaxBytesPerSecondFrom(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::string number(text);
    for (char& c : number)
        if (c == ',') c = '.';
    double mib = 0;
    const char* end = number.data() + number.size();
    const auto result = std::from_chars(number.data(), end, mib, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(mib)) return std::nullopt;
    const double bytes = std::trunc(mib * 1024.0 * 1024.0);
    if (bytes <= 0) return 0u;
    if (bytes >= static_cast<double>(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(bytes);
}

bool RefusedAsCorrupt(const RunContext& run, const std::string& source) {
    if (PassesMpegCheck(run, source)) return false;
    run.log.Tally.NoteError(source + " is corrupt");
    ++run.log.FailedFiles;
    return true;
}

bool TransferOneFile(const RunContext& run, const TransferJob& job, const SourceEntry& listed,
                     const std::string& destination, uint32_t maxBytesPerSecond) {
    const std::string& source = listed.name;
    if (!destination.empty() && ProgramFileRefused(run.log, destination)) return false;
    if (RefusedAsCorrupt(run, source)) return false;
    const bool dialUpChosen = run.dialUp;
    const uint8_t writeMode = ChooseWriteMode(job.buffering, dialUpChosen);
    const int32_t flags = ChooseCopyFlags(job, run.mode, destination.empty(),
                                          run.options.copyOpenFiles, run.options.durableCopies);
    uint8_t result = crFailed;
    if (job.copyMode == CM_ShortCutsOnly) {
        if (MakeShortcut(run.copy.Status, source, destination)) result = crCopied;
    } else {
        // A source that is deleted afterwards is looked at again first: the listing may
        // be older than its last write.
        const ListedSource look{listed.size, listed.modified};
        const bool known =
            listed.kind == EntryKind::LocalFile && listed.modified != 0 && !job.deleteSource;
        result = FileCopy(run.copy, source, destination, run.face, CopyProgressRoutine,
                          maxBytesPerSecond, flags, writeMode, known ? &look : nullptr);
    }
    if (result == crFailed) {
        run.log.Failure(run.copy.Status.StatusStr);
        ++run.log.FailedFiles;
        return false;
    }
    if (result == crSame) {
        run.log.Tally.Same();
    } else {
        // The copier measured the source for this file; a shortcut moves no bytes.
        run.log.Tally.Copied(job.copyMode == CM_ShortCutsOnly ? 0 : run.copy.Status.Size.load());
    }
    // The source goes only when a copy of it exists: never after a read-only pass
    // (no destination) and never behind a shortcut that points at it. A copy made now
    // was flushed by the copier; one found in place is flushed before the source goes.
    if (job.deleteSource && !destination.empty() && job.copyMode != CM_ShortCutsOnly &&
        !SourceIsDestination(run.log, job, source, destination))
        DeleteCopiedSource(run.log, run.copy.Files, listed,
                           result == crCopied ? std::string() : destination);
    if (run.options.logSuccessfulCopies && result != crSame) {
        run.log.Write("Copy to " + DirectoryPart(destination, true) + platform::kPathSeparator +
                      run.copy.Status.StatusStr);
    }
    return true;
}

}  // namespace ferrolin
