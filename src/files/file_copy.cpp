#include "files/file_copy.h"

#include <cerrno>
#include <cmath>
#include <limits>

#include "common/text.h"
#include "files/file_copy_run.h"
#include "platform/errors.h"
#include "platform/file_times.h"
#include "platform/path.h"
#include "platform/safe_open.h"
#include "platform/temp_name.h"

namespace ferrolin {
namespace {

int32_t ClampRate(double rate) {
    if (!(rate > 0)) return 0;
    if (rate >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(std::llround(rate));
}

}  // namespace

FileCopyRun::FileCopyRun(CopyContext& ctx, const std::string& source, const std::string& dest,
                         const UiPump& pump, const AskQuestion& ask, CopyProgressCallback routine,
                         uint32_t maxBytesPerSecond, int32_t flags, uint8_t writeMode,
                         const ListedSource* listed)
    : ctx_(ctx),
      source_(source),
      dest_(dest),
      pump_(pump),
      ask_(ask),
      routine_(routine),
      maxBytesPerSecond_(maxBytesPerSecond),
      flags_(flags),
      writeMode_(writeMode),
      listed_(listed),
      name_(FileNamePart(source)),
      sourceFs_(ctx.Files.For(source)),
      destFs_(ctx.Files.For(dest)),
      start_(std::chrono::steady_clock::now()) {}

void FileCopyRun::Status(const std::string& text) {
    ctx_.Status.SetStatus(text);
    statusIsFailure_ = false;
}

void FileCopyRun::Fail(const std::string& text) {
    ctx_.Status.SetStatus(text);
    statusIsFailure_ = true;
}

void FileCopyRun::Pump() {
    if (!pump_) return;
    try {
        pump_();
    } catch (...) {
        // A failing window message must not end a copy.
    }
}

Answer FileCopyRun::Ask(const std::string& text, Buttons buttons) {
    if (!ask_) return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    return ask_(text, buttons);
}

double FileCopyRun::SecondsSinceStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

uint8_t FileCopyRun::Run() {
    ctx_.Status.Done = 0;
    ctx_.Cancel.ClearStop();
    result_ = crFailed;
    ctx_.Status.SourcePath = source_;
    ctx_.Status.CopyType = CT_Copy;
    Status("unknown");
    ctx_.Status.BytesPerSecond = 0;
    sourceMeta_.Clear();

    // Share paths without a share client cannot be reached; say so instead of a vague
    // failure.
    const bool destShare = !Has(cfReadOnly) && platform::IsSharePath(dest_) && destFs_.IsLocal();
    if ((platform::IsSharePath(source_) && sourceFs_.IsLocal()) || destShare) {
        Status(SysErrorText(platform::ERROR_SHARE_UNREACHABLE) + " " +
               (destShare ? dest_ : source_));
    } else if (SameByLooks()) {
        Status(name_ + " same");
        result_ = crSame;
    } else if (LookAtSource() && ProbeDestination() && DecideCopy() && OpenListedSource() &&
               PrepareCopy()) {
        const bool ownLoop = routine_ == nullptr || Has(cfReadOnly) || writeMode_ == wmUnbuffered;
        if (ownLoop) {
            BlockLoop();
        } else {
            WorkerCopy();
        }
        Finish();
    }
    Close();
    return result_;
}

bool FileCopyRun::SameByLooks() {
    // Every open on a share is a round trip: a destination there whose size and time
    // already match is judged from two looks, without opening either file. (On local
    // disks the full check runs, which also catches a rewritten metadata trailer behind
    // an unchanged size and time.)
    if (Has(cfReadOnly) || Has(cfForce) || Has(cfAsk)) return false;
    if (sourceFs_.IsLocal() && destFs_.IsLocal()) return false;
    const std::optional<platform::FileInfo> dest = destFs_.Stat(dest_);
    // Nothing there: the probe of the destination need not ask again.
    destKnownAbsent_ = !dest && platform::LastError() == ENOENT;
    if (!dest || !dest->Regular) return false;
    // The listing has just measured the source: no second round trip for it.
    std::optional<platform::FileInfo> source;
    if (listed_ != nullptr) {
        source.emplace();
        source->Size = listed_->size;
        source->LastWriteTime = listed_->lastWriteTime;
        source->Regular = true;
    } else {
        source = sourceFs_.Stat(source_);
    }
    if (!source || !source->Regular) return false;
    if (!DestinationIsSame(flags_, source->Size, source->LastWriteTime, dest->Size,
                           dest->LastWriteTime))
        return false;
    ctx_.Status.Size = source->Size;
    return true;
}

bool FileCopyRun::LookAtSource() {
    // An unchanged file in a run over many is found from its listing and one look at the
    // destination. A forced, read-only or interactive copy looks at the source itself.
    if (listed_ == nullptr || Has(cfReadOnly) || Has(cfForce) || Has(cfAsk)) return OpenSource();
    sourceInfo_ = platform::FileInfo{};
    sourceInfo_.Size = listed_->size;
    sourceInfo_.LastWriteTime = listed_->lastWriteTime;
    sourceInfo_.Regular = true;
    sourceFromListing_ = true;
    ctx_.Status.Size = sourceInfo_.Size;
    return true;
}

bool FileCopyRun::OpenListedSource() {
    if (!sourceFromListing_) return true;
    // The copy takes its size, times and mode from the open file, not from the listing.
    sourceFromListing_ = false;
    return OpenSource();
}

bool FileCopyRun::DestinationLocked() {
    const platform::FsProbe probe = destFs_.Probe(dest_, true);
    return probe.kind == platform::EntryKind::Regular && !probe.file;
}

bool FileCopyRun::OpenSource() {
    // The worker opens the source itself; with open files allowed, the copier only
    // measures it here, without opening it for data.
    const bool noDataAccess =
        Has(cfOpenFiles) && !Has(cfReadOnly) && writeMode_ != wmUnbuffered && routine_ != nullptr;
    std::optional<platform::FileInfo> info;
    if (noDataAccess) {
        info = sourceFs_.Stat(source_);
        if (!info) {
            Fail("Open of " + name_ + " failed");
            return false;
        }
    } else {
        sourceFile_ = sourceFs_.OpenRead(source_, true);
        if (!sourceFile_) {
            // A pipe or a device is refused without waiting for a writer, and says so.
            const bool special = platform::LastError() == platform::ERROR_NOT_REGULAR_FILE &&
                                 !sourceFs_.FolderExists(source_);
            Fail("Open of " + name_ + " failed" +
                 (special ? ": " + platform::ErrorMessage(platform::ERROR_NOT_REGULAR_FILE) : ""));
            return false;
        }
        info = sourceFile_->Info();
    }
    if (!info) {
        Fail("Get fileinfos from " + name_ + " failed");
        return false;
    }
    if (!info->Regular) {
        // A folder or a device opens on this system but cannot be copied as a file.
        Fail("Open of " + name_ + " failed");
        return false;
    }
    sourceInfo_ = *info;
    ctx_.Status.Size = sourceInfo_.Size;
    return true;
}

bool FileCopyRun::ProbeDestination() {
    if (!Has(cfReadOnly) && !destKnownAbsent_) {
        // A link at the destination name counts as absent: it is replaced, never written
        // through. A pipe, device or folder there is refused without waiting on it.
        platform::FsProbe probe = destFs_.Probe(dest_, false);
        if (probe.kind == platform::EntryKind::Other) {
            Status(name_ + " not copied: " + dest_ + " " +
                   platform::ErrorMessage(platform::ERROR_NOT_REGULAR_FILE));
            return false;
        }
        // Anything that did not open (mostly: no such file, or a link) counts as an absent
        // destination.
        if (probe.file) {
            destExists_ = true;
            destInfo_ = probe.info;
            destHasTrailer_ = HasMetadataTrailer(*probe.file, destInfo_.Size);
            probe.file.reset();
        }
        // A destination another process is writing is not replaced. One that is already
        // the same is left as it is without that question: a run over many unchanged files
        // makes no call it need not make.
        if (destExists_ && (!IsSame() || Has(cfAsk)) && DestinationLocked()) {
            Status(SysErrorText(platform::ERROR_SHARING_VIOLATION) + " " + dest_);
            Pump();
            return false;
        }
        if (destExists_) {
            if (Has(cfAsk)) {
                switch (Ask(dest_ + " exists" + "\r\n" + "overwrite ?", Buttons::YesNoAbort)) {
                    case Answer::Yes:
                        flags_ |= cfForce;
                        break;
                    case Answer::Abort:
                        ctx_.Cancel.Stop();
                        answeredNo_ = true;
                        break;
                    default:
                        answeredNo_ = true;
                        break;
                }
            }
        }
    }

    return true;
}

bool FileCopyRun::MetadataOnlyChange() {
    if (!destExists_ ||
        !MayBeMetadataOnlyChange(sourceInfo_.Size, destInfo_.Size, destHasTrailer_)) {
        return false;
    }
    return IsMetadataOnlyChange(sourceFs_, source_, destFs_, dest_, destInfo_.Size, sourceMeta_,
                                ctx_.MetadataLogPath());
}

bool FileCopyRun::DecideCopy() {
    if (IsSame()) {
        // Also after No or Abort: a destination that is the same stays "same".
        if (MetadataOnlyChange()) {
            RewriteMetadata();
        } else {
            Status(name_ + " same");
            result_ = crSame;
        }
        return false;
    }
    if (answeredNo_) return false;
    if (MetadataOnlyChange()) {
        RewriteMetadata();
        return false;
    }
    return true;
}

bool FileCopyRun::IsSame() const {
    return destExists_ && DestinationIsSame(flags_, sourceInfo_.Size, sourceInfo_.LastWriteTime,
                                            destInfo_.Size, destInfo_.LastWriteTime);
}

void FileCopyRun::RewriteMetadata() {
    if (WriteMetadata(destFs_, dest_, sourceMeta_)) {
        Status(name_ + " Metadata Updated");
        result_ = crMetadataUpdated;
    } else {
        // The destination could not be opened or written: it is unchanged, and the
        // caller must not count it as brought up to date.
        Fail(name_ + " Metadata update failed " + SysErrorText(platform::LastError()));
        result_ = crFailed;
    }
}

bool FileCopyRun::PrepareCopy() {
    start_ = std::chrono::steady_clock::now();
    if (!Has(cfReadOnly)) {
        const std::string destFolder = platform::FolderOf(dest_);
        int64_t freeBytes = destFs_.FreeBytes(destFolder);
        if (freeBytes < 0) {
            // The folder cannot be measured (missing, or its share gone): say why, rather
            // than leave the status at "unknown".
            Fail(name_ + " not copied: " + destFolder + " " + SysErrorText(platform::LastError()));
            return false;
        }
        if (destExists_) freeBytes += destInfo_.Size;
        if (freeBytes <= kMinimumFreeSpace) {
            Fail(name_ + " not copied: not enough disk space in " + destFolder + " (" +
                 std::to_string(freeBytes) + " bytes free)");
            if (Has(cfAsk)) {
                Ask(dest_ + "\r\n" + "! not enough disk space (" + std::to_string(freeBytes) +
                        ") !",
                    Buttons::Ok);
            }
            return false;
        }
        // A read-only destination is overwritten; cleared only once the copy goes ahead.
        if (destExists_ && platform::IsReadOnlyMode(destInfo_.Mode)) {
            destFs_.SetMode(dest_, platform::WritableMode(destInfo_.Mode));
        }
        if (Has(cfNoTempFile)) {
            target_ = dest_;
        } else {
            // Made here, new, under the first free temporary name: the copy never writes
            // into a file someone else has standing beside the destination.
            preparedTarget_ =
                platform::CreateTempTargetFor(destFs_, dest_, writeMode_ == wmUnbuffered, target_);
            if (!preparedTarget_) {
                Fail(name_ + " not copied: no temporary file beside " + dest_ + " " +
                     SysErrorText(platform::LastError()));
                return false;
            }
            targetOwned_ = true;
        }
    }
    return true;
}

void FileCopyRun::ChooseBlockSize() {
    sectorSize_ = Has(cfReadOnly) ? 0 : destFs_.SectorSize(platform::FolderOf(dest_));
    blockSize_ = sectorSize_ == 0 ? 65536 : (65536 / sectorSize_) * sectorSize_;
    // Every request to a share is a round trip: large blocks keep the line busy.
    if (sectorSize_ == 0 && !(sourceFs_.IsLocal() && destFs_.IsLocal())) blockSize_ = kShareBlock;
}

void FileCopyRun::Finish() {
    const int64_t done = ctx_.Status.Done.load();
    const bool complete = done == sourceInfo_.Size && !targetFailed_;
    if (complete) {
        if (Has(cfReadOnly)) {
            result_ = crCopied;
            return;
        }
        // A durable copy is on the disk before it takes the destination's name, so that
        // name never stands for a file a power cut could empty.
        if (Has(cfDurable) && !Flushed(target_)) {
            if (targetOwned_ && !Has(cfNoTempFile)) destFs_.Delete(target_);
            return;
        }
        if (Has(cfNoTempFile)) {
            result_ = crCopied;
        } else if (destFs_.Rename(target_, dest_, true) == 0) {
            // One atomic rename: the destination name always holds either the old file
            // or the complete new one, never nothing and never a part.
            result_ = crCopied;
        } else {
            Fail(name_ + " Failed to rename temp file");
        }
        if (result_ == crCopied) {
            destFs_.SetTimesAndMode(dest_, sourceInfo_.CreationTime, sourceInfo_.LastAccessTime,
                                    sourceInfo_.LastWriteTime, sourceInfo_.Mode);
            // And the name itself, in its folder: only then is the copy made for good.
            if (Has(cfDurable) && !Flushed(platform::FolderOf(dest_))) result_ = crFailed;
        }
        return;
    }
    if (ctx_.Cancel.StopRequested()) {
        Status(name_ + " copy canceled");
    } else if (!statusIsFailure_) {
        Status(name_ + " Filesize<>");
    }
    if (!Has(cfReadOnly) && targetOwned_) destFs_.Delete(target_);
}

void FileCopyRun::NoteRate(int64_t done) {
    const double seconds = SecondsSinceStart();
    if (seconds > 0) ctx_.Status.BytesPerSecond = ClampRate(static_cast<double>(done) / seconds);
}

bool FileCopyRun::Flushed(const std::string& path) {
    const int32_t error = destFs_.Flush(path);
    if (error == 0) return true;
    Fail(name_ + " not copied: " + path + " could not be flushed to disk " + SysErrorText(error));
    return false;
}

void FileCopyRun::Close() {
    sourceFile_.reset();
    if (result_ == crCopied) {
        const int64_t done = ctx_.Status.Done.load();
        NoteRate(done);
        Status(name_ + " successful (" + FormatByteSize(done) + " " +
               FormatByteSize(ctx_.Status.BytesPerSecond.load()) + "/s)");
    }
    ctx_.Status.Position = 0;
    ctx_.Status.SourcePath.clear();
    ctx_.Status.CopyType = CT_None;
    sourceMeta_.Clear();
}

bool DestinationIsSame(int32_t flags, int64_t sourceSize, int64_t sourceTime, int64_t destSize,
                       int64_t destTime) {
    const int newer = platform::CompareFileTimes(sourceTime, destTime, true);
    if ((flags & cfOnlyNewer) != 0) return newer <= 0;
    if ((flags & cfForce) != 0) return false;
    return sourceSize == destSize && newer <= 0;
}

uint8_t FileCopy(CopyContext& Context, const std::string& Source, const std::string& Dest,
                 const UiPump& pump, CopyProgressCallback ProgressRoutine,
                 uint32_t MaxBytesPerSecond, int32_t Flags, uint8_t WriteMode,
                 const AskQuestion& ask, const ListedSource* listed) {
    FileCopyRun run(Context, Source, Dest, pump, ask, ProgressRoutine, MaxBytesPerSecond, Flags,
                    WriteMode, listed);
    return run.Run();
}

uint8_t FileCopy(CopyContext& Context, const std::string& Source, const std::string& Dest,
                 Surfaces& surfaces, CopyProgressCallback ProgressRoutine,
                 uint32_t MaxBytesPerSecond, int32_t Flags, uint8_t WriteMode,
                 const ListedSource* listed) {
    const UiPump pump = [&surfaces] { surfaces.ProcessMessages(); };
    const AskQuestion ask = [&surfaces](std::string_view text, Buttons buttons) {
        return surfaces.Ask("Warning", text, buttons);
    };
    return FileCopy(Context, Source, Dest, pump, ProgressRoutine, MaxBytesPerSecond, Flags,
                    WriteMode, ask, listed);
}

}  // namespace ferrolin
