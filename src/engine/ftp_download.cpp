// The download loop of an FTP source: each listed file that the destination folder does
// not already hold unchanged is fetched under ".tmp" and then renamed over its final
// name in one step, with the listed modification time.
#include <chrono>
#include <set>
#include <thread>

#include "common/log.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_steps.h"
#include "engine/program_files.h"
#include "engine/run_texts.h"
#include "files/integers.h"
#include "platform/errors.h"
#include "platform/file_times.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "protocols/ftp_listing.h"
#include "remote/ftp_texts.h"

namespace ferrolin {

namespace {

constexpr std::chrono::milliseconds kPauseBetweenFiles{100};

// The local file holds exactly what the listing describes: the same size and, when the
// listing gave a time (fileTime not 0), the same modification time.
bool LocalCopyEqual(const std::string& local, int64_t size, int64_t fileTime) {
    const std::optional<int64_t> localSize = platform::FileSize(local);
    if (!localSize || *localSize != size) return false;
    if (fileTime == 0) return true;
    platform::FileTimes times;
    return platform::GetFileTimes(local, times) && times.LastWrite == fileTime;
}

void PauseBetweenFiles(Surfaces& surfaces) {
    surfaces.ProcessMessages();
    std::this_thread::sleep_for(kPauseBetweenFiles);
    surfaces.ProcessMessages();
}

}  // namespace

void TransferFromFtp(RunContext& run, const TransferJob& job, const SourceListing& listing) {
    FtpSession& ftp = run.Ftp;
    Surfaces& surfaces = run.surfaces();
    ftp.SetTimeOuts(static_cast<int>(job.Modemspeed));
    const std::string remoteFolder = FtpSession::GetFTPPfadFromString(job.SendeVerzeichnis);
    if (!job.EmpfangsVerzeichnis.empty() && !platform::DirectoryExists(job.EmpfangsVerzeichnis))
        platform::CreateDirectories(job.EmpfangsVerzeichnis);

    // Every listed name, reached or not, protects its local copy in the mirror step.
    std::vector<std::string> remoteNames;
    std::set<std::string> downloaded;
    bool endedEarly = false;
    for (const SourceEntry& entry : listing.entries) remoteNames.push_back(entry.name);

    for (const SourceEntry& entry : listing.entries) {
        if (run.Copy.Cancel.StopRequested()) break;
        surfaces.ProcessMessages();
        const std::string& name = entry.name;
        if (IsRefusedRemoteName(name)) {
            WriteLog(0, run.LogFile, std::string(kFtpRemoteNameRefused) + name);
            continue;
        }
        const std::string localName =
            StampFileName(name, job.AddTimeStampC, job.AddTimeStampE, run.clock().Now());
        const std::string local = platform::JoinPath(job.EmpfangsVerzeichnis, localName);
        if (ProgramFileRefused(run, local)) continue;
        const int64_t fileTime = entry.modified;
        bool equal = LocalCopyEqual(local, entry.size, fileTime);
        if (job.CopyMode == CM_CopyAnyWay) equal = false;

        if (!equal) {
            const std::string temporary = local + ".tmp";
            platform::DeleteFile(temporary);
            if (!ftp.ReceiveFile(remoteFolder + name, temporary, entry.size)) {
                // The old copy stays under the final name; the next run fetches the file.
                platform::DeleteFile(temporary);
                WriteLog(0, run.LogFile, std::string(kFtpReceiveException) + remoteFolder + name +
                                             ": " + ftp.LastError());
                ++run.FailedFiles;
                if (!run.Copy.Cancel.StopRequested()) ++run.JobsCutShort;
                endedEarly = true;
                break;
            }
            // One rename replaces the old copy: there is always the old or the new file.
            if (const int32_t error = platform::MoveFile(temporary, local, true); error != 0) {
                WriteLog(0, run.LogFile,
                         "File " + local + " could not be replaced: " + platform::ErrorMessage(error));
                platform::DeleteFile(temporary);
                ++run.FailedFiles;
            } else {
                downloaded.insert(localName);
                if (fileTime != 0) platform::SetFileTimes(local, fileTime, fileTime, fileTime);
                if (job.SourceDelete) {
                    surfaces.ProcessMessages();
                    if (!ftp.DeleteFile(remoteFolder + name, 100)) ++run.FailedFiles;
                }
                if (run.Options.SaveSuccessfulCopies)
                    WriteLog(0, run.LogFile, "receive of " + surfaces.GaugeText() + " successful");
            }
        }
        PauseBetweenFiles(surfaces);
    }

    if (job.CopyMode == CM_SourceIsMaster) {
        if (endedEarly || !listing.complete) {
            WriteLog(0, run.LogFile, "Download of " + remoteFolder +
                                         " ended early; no local file deleted");
        } else {
            MirrorFtpSource(run, job, remoteNames, downloaded);
        }
    }
    EndFtpWork(run);
}

}  // namespace ferrolin
