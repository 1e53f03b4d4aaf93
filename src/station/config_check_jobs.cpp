// The job checks of "check": what each job of the list names on this computer and how
// its addresses read, as the run would take them.
#include <unistd.h>

#include <filesystem>

#include "config/job_settings.h"
#include "engine/folder_listing.h"
#include "engine/path_guard.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "station/config_check.h"
#include "station/config_check_job.h"

namespace ferrolin {

namespace {

// The folder as the file system resolves it (links followed where they exist), so two
// spellings of one folder compare equal.
std::string Resolved(const std::string& path) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return NormalisePath(error ? path : resolved.string());
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind(platform::kPathSeparator);
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

class JobChecker {
  public:
    JobChecker(const CheckedJob& job, const std::string& programDir,
               std::vector<ConfigFinding>& findings)
        : job_(job), programDir_(programDir), findings_(findings) {}

    void Run() {
        const std::string& source = job_.settings.source;
        switch (job_.kind) {
            case Tran_Windows:
                CheckFolderSource(source);
                break;
            case Tran_FileList:
                if (!platform::FileExists(source))
                    Add(kSource, FindingKind::MissingFile, "list file");
                break;
            case Tran_FTPR:
                if (auto why = FtpAddressProblem(source))
                    Add(kSource, FindingKind::BadAddress, *why);
                break;
            case Tran_HTTP:
                if (auto why = HttpAddressProblem(source))
                    Add(kSource, FindingKind::BadAddress, *why);
                break;
            case Tran_Pop3R:
                if (auto why = MailAddressProblem(source))
                    Add(kSource, FindingKind::BadAddress, *why);
                break;
            default:
                break;
        }
        CheckDestination();
        const std::string& compareList = job_.settings.compareListFile;
        if (!compareList.empty() && !platform::FileExists(compareList))
            Add("CLFile", FindingKind::MissingFile, "compare list");
    }

  private:
    static constexpr char kSource[] = "SendeVerzeichnis";
    static constexpr char kDestination[] = "EmpfangsVerzeichnis";

    void Add(const char* key, FindingKind kind, std::string detail = "") {
        findings_.push_back(job_.Finding(key, kind, std::move(detail)));
    }

    void CheckFolderSource(const std::string& source) {
        if (platform::IsSharePath(source)) {
            if (auto why = ShareAddressProblem(source)) Add(kSource, FindingKind::BadAddress, *why);
            return;
        }
        const FolderAndMask folder = SplitFolderAndMask(source);
        if (!platform::DirectoryExists(folder.folder)) {
            Add(kSource, FindingKind::MissingFolder, "source");
        } else if (!SourceMask(source).empty() && platform::DirectoryExists(source)) {
            Add(kSource, FindingKind::MaskNamesFolder, folder.folder);
        }
    }

    void CheckDestination() {
        const std::string& destination = job_.settings.destination;
        if (job_.ftpUpload) {
            if (auto why = FtpAddressProblem(destination))
                Add(kDestination, FindingKind::BadAddress, *why);
            return;
        }
        const bool intoFile = job_.kind == Tran_HTTP;
        if (destination.empty()) {
            // A folder job without a destination is a read-only pass over its source.
            if (intoFile || job_.kind == Tran_Pop3R)
                Add(kDestination, FindingKind::MissingFolder, "destination");
            return;
        }
        if (platform::IsSharePath(destination)) {
            if (auto why = ShareAddressProblem(destination))
                Add(kDestination, FindingKind::BadAddress, *why);
            return;
        }
        const std::string folder = intoFile ? ParentFolder(destination) : destination;
        if (!platform::DirectoryExists(folder)) {
            Add(kDestination, FindingKind::MissingFolder, "destination");
            return;
        }
        if (access(folder.c_str(), W_OK) != 0) Add(kDestination, FindingKind::NotWritable);
        const std::string where = Resolved(folder);
        if (where == Resolved(programDir_))
            Add(kDestination, FindingKind::DestinationIsProgramFolder);
        const std::string& source = job_.settings.source;
        if (job_.kind != Tran_Windows || platform::IsSharePath(source)) return;
        const std::string sourceFolder = Resolved(SplitFolderAndMask(source).folder);
        if (where == sourceFolder) {
            Add(kDestination, FindingKind::DestinationIsSource);
        } else if (LiesBelow(where, sourceFolder)) {
            Add(kDestination, FindingKind::DestinationInsideSource);
        }
    }

    const CheckedJob& job_;
    const std::string& programDir_;
    std::vector<ConfigFinding>& findings_;
};

}  // namespace

std::vector<ConfigFinding> CheckConfigJobs(const std::string& iniFile,
                                           const std::string& programDir) {
    std::vector<ConfigFinding> findings;
    for (const CheckedJob& job : ReadCheckedJobs(iniFile)) {
        JobChecker(job, programDir, findings).Run();
    }
    return findings;
}

}  // namespace ferrolin
